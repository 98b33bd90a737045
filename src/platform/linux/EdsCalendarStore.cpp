#include "EdsCalendarStore.h"

#include "ICalendarFile.h"
#include "PlatformLog.h"

#include <QPointer>
#include <QSettings>

#include <libecal/libecal.h>

namespace {

struct Unref {
    void operator()(gpointer object) const { g_object_unref(object); }
};
template <typename T> using GPtr = std::unique_ptr<T, Unref>;

QString takeString(gchar* s)
{
    const QString text = QString::fromUtf8(s);
    g_free(s);
    return text;
}

// The occurrences of the source's components, as libecal hands them over.
struct SourceText {
    QString name;
    QByteArray calendar;
    QColor color;
    QString email;
};

} // namespace

const char* const registryName = "org.gnome.evolution.dataserver.Sources5";

struct EdsCalendarStore::Calendar {
    GPtr<ESource> source;
    GPtr<ECalClient> client;
    GPtr<ECalClientView> view;
    QString name;
    QColor color;
    QString email;
};

struct EdsCalendarStore::Callbacks {
    struct Opening {
        QPointer<EdsCalendarStore> store;
        QString uid;
    };
    struct Fetch {
        QPointer<EdsCalendarStore> store;
        QPointer<QObject> context;
        Answer answer;
        QDateTime start;
        QDateTime end;
        int waiting = 0;
        QList<SourceText> texts;
    };
    struct Listing {
        std::shared_ptr<Fetch> fetch;
        SourceText text;
    };

    // The registry object is made even with no server behind it, so the bus
    // is asked first whether the server runs, and else to start it.
    static void busReady(GObject*, GAsyncResult* result, gpointer data)
    {
        std::unique_ptr<Opening> opening(static_cast<Opening*>(data));
        GError* error = nullptr;
        GDBusConnection* bus = g_bus_get_finish(result, &error);
        EdsCalendarStore* store = opening->store;
        if (!store || store->m_state != State::connecting) {
            if (bus)
                g_object_unref(bus);
            g_clear_error(&error);
            return;
        }
        if (!bus) {
            store->unavailable(error ? error->message : "no session bus");
            g_clear_error(&error);
            return;
        }
        callBus(bus, "NameHasOwner", g_variant_new("(s)", registryName), G_VARIANT_TYPE("(b)"), store, serverOwned);
        g_object_unref(bus);
    }

    static void callBus(GDBusConnection* bus, const char* method, GVariant* arguments, const GVariantType* reply,
        EdsCalendarStore* store, GAsyncReadyCallback callback)
    {
        g_dbus_connection_call(bus, "org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus", method, arguments,
            reply, G_DBUS_CALL_FLAGS_NONE, -1, store->m_cancellable, callback, new Opening { store, {} });
    }

    // The answer of NameHasOwner or StartServiceByName; null when the store is gone.
    static GVariant* busAnswer(GObject* bus, GAsyncResult* result, const Opening& opening)
    {
        GError* error = nullptr;
        GVariant* reply = g_dbus_connection_call_finish(G_DBUS_CONNECTION(bus), result, &error);
        EdsCalendarStore* store = opening.store;
        if (!store || store->m_state != State::connecting) {
            if (reply)
                g_variant_unref(reply);
            g_clear_error(&error);
            return nullptr;
        }
        if (!reply)
            store->unavailable(error ? error->message : "the bus did not answer");
        g_clear_error(&error);
        return reply;
    }

    static void serverOwned(GObject* bus, GAsyncResult* result, gpointer data)
    {
        std::unique_ptr<Opening> opening(static_cast<Opening*>(data));
        GVariant* reply = busAnswer(bus, result, *opening);
        if (!reply)
            return;
        gboolean owned = false;
        g_variant_get(reply, "(b)", &owned);
        g_variant_unref(reply);
        if (owned) {
            GCancellable* cancellable = opening->store->m_cancellable;
            e_source_registry_new(cancellable, registryCreated, opening.release());
        } else {
            callBus(G_DBUS_CONNECTION(bus), "StartServiceByName", g_variant_new("(su)", registryName, 0u), G_VARIANT_TYPE("(u)"),
                opening->store, serverStarted);
        }
    }

    static void serverStarted(GObject* bus, GAsyncResult* result, gpointer data)
    {
        std::unique_ptr<Opening> opening(static_cast<Opening*>(data));
        GVariant* reply = busAnswer(bus, result, *opening);
        if (!reply)
            return;
        g_variant_unref(reply);
        GCancellable* cancellable = opening->store->m_cancellable;
        e_source_registry_new(cancellable, registryCreated, opening.release());
    }

    static void registryCreated(GObject*, GAsyncResult* result, gpointer data)
    {
        std::unique_ptr<Opening> opening(static_cast<Opening*>(data));
        GError* error = nullptr;
        ESourceRegistry* registry = e_source_registry_new_finish(result, &error);
        EdsCalendarStore* store = opening->store;
        if (!store || store->m_state != State::connecting) {
            if (registry)
                g_object_unref(registry);
            g_clear_error(&error);
            return;
        }
        if (!registry) {
            store->unavailable(error ? error->message : "no registry");
            g_clear_error(&error);
            return;
        }
        store->m_registry = registry;
        for (const char* signal : { "source-added", "source-removed", "source-enabled", "source-disabled" })
            g_signal_connect(registry, signal, G_CALLBACK(sourcesChanged), store);
        g_signal_connect(registry, "source-changed", G_CALLBACK(sourceChanged), store);
        store->openSources();
    }

    static void sourcesChanged(ESourceRegistry*, ESource* source, gpointer data)
    {
        auto* store = static_cast<EdsCalendarStore*>(data);
        if (!e_source_has_extension(source, E_SOURCE_EXTENSION_CALENDAR))
            return;
        store->openSources();
    }

    // A renamed or recoloured calendar (sources also change for less, such as
    // a finished refresh): its looks are read again, no reconnection.
    static void sourceChanged(ESourceRegistry*, ESource* source, gpointer data)
    {
        auto* store = static_cast<EdsCalendarStore*>(data);
        const auto it = store->m_calendars.find(QString::fromUtf8(e_source_get_uid(source)));
        if (it == store->m_calendars.end())
            return;
        store->describe(*it->second, source);
        store->changedSoon();
    }

    static void clientConnected(GObject*, GAsyncResult* result, gpointer data)
    {
        std::unique_ptr<Opening> opening(static_cast<Opening*>(data));
        GError* error = nullptr;
        EClient* client = e_cal_client_connect_finish(result, &error);
        EdsCalendarStore* store = opening->store;
        const auto it = store ? store->m_calendars.find(opening->uid) : decltype(store->m_calendars)::iterator();
        if (!store || it == store->m_calendars.end()) {
            if (client)
                g_object_unref(client);
            g_clear_error(&error);
            return;
        }
        Calendar& calendar = *it->second;
        if (!client) {
            qCWarning(lcPlatformCalendar, "Could not open the calendar \"%s\" of Evolution Data Server: %s",
                qUtf8Printable(calendar.name), error ? error->message : "unknown error");
            g_clear_error(&error);
            store->m_calendars.erase(it);
            store->sourceOpened();
            return;
        }
        calendar.client.reset(E_CAL_CLIENT(client));
        // The calendar's own address: an invitation it declined is not shown.
        e_client_get_backend_property(client, E_CAL_BACKEND_PROPERTY_CAL_EMAIL_ADDRESS, store->m_cancellable, emailRead,
            new Opening { store, opening->uid });
    }

    static void emailRead(GObject* client, GAsyncResult* result, gpointer data)
    {
        std::unique_ptr<Opening> opening(static_cast<Opening*>(data));
        gchar* value = nullptr;
        GError* error = nullptr;
        e_client_get_backend_property_finish(E_CLIENT(client), result, &value, &error);
        g_clear_error(&error);
        const QString email = takeString(value).trimmed();
        EdsCalendarStore* store = opening->store;
        if (!store)
            return;
        const auto it = store->m_calendars.find(opening->uid);
        if (it == store->m_calendars.end())
            return;
        it->second->email = email;
        // Only the identifiers: the view tells that something changed, the fetch reads what.
        e_cal_client_get_view(E_CAL_CLIENT(client), "#t", store->m_cancellable, viewCreated, new Opening { store, opening->uid });
    }

    static void viewCreated(GObject* client, GAsyncResult* result, gpointer data)
    {
        std::unique_ptr<Opening> opening(static_cast<Opening*>(data));
        ECalClientView* view = nullptr;
        GError* error = nullptr;
        e_cal_client_get_view_finish(E_CAL_CLIENT(client), result, &view, &error);
        EdsCalendarStore* store = opening->store;
        const auto it = store ? store->m_calendars.find(opening->uid) : decltype(store->m_calendars)::iterator();
        if (!store || it == store->m_calendars.end()) {
            if (view)
                g_object_unref(view);
            g_clear_error(&error);
            return;
        }
        if (!view) {
            qCWarning(lcPlatformCalendar, "Changes to the calendar \"%s\" are not followed: %s", qUtf8Printable(it->second->name),
                error ? error->message : "unknown error");
            g_clear_error(&error);
        } else {
            GSList fields { const_cast<char*>("UID"), nullptr };
            e_cal_client_view_set_fields_of_interest(view, &fields, nullptr);
            for (const char* signal : { "objects-added", "objects-modified", "objects-removed" })
                g_signal_connect(view, signal, G_CALLBACK(objectsChanged), store);
            e_cal_client_view_start(view, nullptr);
            it->second->view.reset(view);
        }
        store->sourceOpened();
    }

    static void objectsChanged(ECalClientView*, gpointer, gpointer data) { static_cast<EdsCalendarStore*>(data)->changedSoon(); }

    static void objectsListed(GObject* client, GAsyncResult* result, gpointer data)
    {
        std::unique_ptr<Listing> listing(static_cast<Listing*>(data));
        GSList* components = nullptr;
        GError* error = nullptr;
        if (e_cal_client_get_object_list_finish(E_CAL_CLIENT(client), result, &components, &error)) {
            QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//Brimwell//EN\r\n";
            for (GSList* c = components; c; c = c->next) {
                gchar* component = i_cal_component_as_ical_string(I_CAL_COMPONENT(c->data));
                text += component;
                g_free(component);
            }
            text += "END:VCALENDAR\r\n";
            listing->text.calendar = std::move(text);
            listing->fetch->texts.append(std::move(listing->text));
        } else if (!g_error_matches(error, G_IO_ERROR, G_IO_ERROR_CANCELLED)) {
            qCWarning(lcPlatformCalendar, "Could not read the calendar \"%s\" of Evolution Data Server: %s",
                qUtf8Printable(listing->text.name), error ? error->message : "unknown error");
        }
        g_slist_free_full(components, g_object_unref);
        g_clear_error(&error);
        if (--listing->fetch->waiting == 0)
            expand(listing->fetch);
    }

    // libical expands the recurrences off the GUI thread, as for files.
    static void expand(const std::shared_ptr<Fetch>& fetch)
    {
        EdsCalendarStore* store = fetch->store;
        if (!store || !fetch->context)
            return;
        store->m_pool.start([store, fetch, settings = store->m_settingsPath] {
            QStringList owners
                = QSettings(settings, QSettings::IniFormat).value(QStringLiteral("Calendars/ownerEmails")).toStringList();
            for (QString& owner : owners)
                owner = owner.trimmed();
            QList<CalendarStoreEvent> events;
            for (const SourceText& source : std::as_const(fetch->texts)) {
                const ICalendarFile file = ICalendarFile::parse(source.calendar, source.name);
                events.append(file.occurrences(fetch->start, fetch->end,
                    source.email.isEmpty() ? owners : owners + QStringList { source.email }, source.color));
            }
            QMetaObject::invokeMethod(
                store,
                [fetch, events = std::move(events)]() mutable {
                    if (fetch->context)
                        fetch->answer(std::move(events));
                },
                Qt::QueuedConnection);
        });
    }
};

EdsCalendarStore::EdsCalendarStore(const QString& settingsPath, Scheduler& scheduler, QObject* parent)
    : CalendarStore(parent)
    , m_settingsPath(settingsPath)
    , m_quiet(scheduler)
{
    m_pool.setMaxThreadCount(1);
}

EdsCalendarStore::~EdsCalendarStore()
{
    teardown();
    m_pool.clear();
    m_pool.waitForDone();
}

void EdsCalendarStore::start()
{
    if (m_state != State::stopped)
        return;
    m_state = State::connecting;
    m_cancellable = g_cancellable_new();
    g_bus_get(G_BUS_TYPE_SESSION, m_cancellable, Callbacks::busReady, new Callbacks::Opening { this, {} });
}

void EdsCalendarStore::unavailable(const char* reason)
{
    if (!m_loggedUnavailable)
        qCInfo(lcPlatformCalendar, "Evolution Data Server is not available (%s); its calendars are not shown", reason);
    m_loggedUnavailable = true;
    m_state = State::unavailable;
}

void EdsCalendarStore::stop()
{
    teardown();
    m_state = State::stopped;
}

void EdsCalendarStore::teardown()
{
    m_quiet.cancel();
    if (m_cancellable) {
        g_cancellable_cancel(m_cancellable);
        g_object_unref(m_cancellable);
        m_cancellable = nullptr;
    }
    for (auto& [uid, calendar] : m_calendars)
        if (calendar->view) {
            g_signal_handlers_disconnect_by_data(calendar->view.get(), this);
            e_cal_client_view_stop(calendar->view.get(), nullptr);
        }
    m_calendars.clear();
    m_opening = 0;
    if (m_registry) {
        g_signal_handlers_disconnect_by_data(m_registry, this);
        g_object_unref(m_registry);
        m_registry = nullptr;
    }
}

void EdsCalendarStore::openSources()
{
    // Sources came or went: open them all afresh, which is rare and cheap.
    for (auto& [uid, calendar] : m_calendars)
        if (calendar->view) {
            g_signal_handlers_disconnect_by_data(calendar->view.get(), this);
            e_cal_client_view_stop(calendar->view.get(), nullptr);
        }
    m_calendars.clear();
    m_state = State::connecting;
    GList* sources = e_source_registry_list_enabled(m_registry, E_SOURCE_EXTENSION_CALENDAR);
    m_opening = int(g_list_length(sources));
    for (GList* s = sources; s; s = s->next) {
        ESource* source = E_SOURCE(s->data);
        auto calendar = std::make_unique<Calendar>();
        calendar->source.reset(E_SOURCE(g_object_ref(source)));
        describe(*calendar, source);
        const QString uid = QString::fromUtf8(e_source_get_uid(source));
        m_calendars[uid] = std::move(calendar);
        e_cal_client_connect(source, E_CAL_CLIENT_SOURCE_TYPE_EVENTS, 10, m_cancellable, Callbacks::clientConnected,
            new Callbacks::Opening { this, uid });
    }
    g_list_free_full(sources, g_object_unref);
    if (m_opening == 0)
        sourceOpened();
}

void EdsCalendarStore::describe(Calendar& calendar, ESource* source)
{
    calendar.name = takeString(e_source_dup_display_name(source));
    auto* selectable = static_cast<ESourceSelectable*>(e_source_get_extension(source, E_SOURCE_EXTENSION_CALENDAR));
    calendar.color = ICalendarFile::parseColor(takeString(e_source_selectable_dup_color(selectable)));
}

void EdsCalendarStore::sourceOpened()
{
    if (m_opening > 0)
        --m_opening;
    if (m_opening > 0)
        return;
    m_state = State::ready;
    // Fetches made meanwhile were answered without these calendars.
    Q_EMIT changed();
}

void EdsCalendarStore::changedSoon()
{
    m_quiet.start(std::chrono::milliseconds(300), [this] { Q_EMIT changed(); });
}

void EdsCalendarStore::fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer)
{
    auto fetch = std::make_shared<Callbacks::Fetch>(Callbacks::Fetch { this, context, std::move(answer), start, end, 0, {} });
    QList<Calendar*> open;
    if (m_state == State::ready)
        for (auto& [uid, calendar] : m_calendars)
            if (calendar->client)
                open.append(calendar.get());
    if (open.isEmpty()) {
        // Not there (yet): nothing from here; changed() follows once it is.
        QMetaObject::invokeMethod(
            this,
            [fetch] {
                if (fetch->context)
                    fetch->answer({});
            },
            Qt::QueuedConnection);
        return;
    }
    const auto isoDate = [](const QDateTime& t) { return t.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")).toUtf8(); };
    const QByteArray sexp = "(occur-in-time-range? (make-time \"" + isoDate(start) + "\") (make-time \"" + isoDate(end) + "\"))";
    fetch->waiting = int(open.size());
    for (Calendar* calendar : open) {
        e_cal_client_get_object_list(calendar->client.get(), sexp.constData(), m_cancellable, Callbacks::objectsListed,
            new Callbacks::Listing { fetch, SourceText { calendar->name, {}, calendar->color, calendar->email } });
    }
}
