#include "FreedesktopTrayHost.h"

#include "Log.h"

#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusServiceWatcher>
#include <QSocketNotifier>

#include <xcb/xfixes.h>

#include <cstdlib>

namespace {
const QString watcherService = QStringLiteral("org.kde.StatusNotifierWatcher");
} // namespace

FreedesktopTrayHost::FreedesktopTrayHost(const QDBusConnection& bus, const QByteArray& display, QObject* parent)
    : TrayHost(parent)
{
    followBus(bus);
    if (!display.isEmpty())
        followX(display);
}

FreedesktopTrayHost::~FreedesktopTrayHost()
{
    closeX();
}

void FreedesktopTrayHost::followBus(const QDBusConnection& bus)
{
    if (!bus.isConnected() || !bus.interface())
        return;
    m_watcher = new QDBusServiceWatcher(
        watcherService, bus, QDBusServiceWatcher::WatchForRegistration | QDBusServiceWatcher::WatchForUnregistration, this);
    connect(m_watcher, &QDBusServiceWatcher::serviceRegistered, this, [this] {
        ++m_busChanges;
        setHasWatcher(true);
    });
    connect(m_watcher, &QDBusServiceWatcher::serviceUnregistered, this, [this] {
        ++m_busChanges;
        setHasWatcher(false);
    });
    const quint64 asked = m_busChanges;
    auto* call = new QDBusPendingCallWatcher(bus.interface()->asyncCall(QStringLiteral("NameHasOwner"), watcherService), this);
    connect(call, &QDBusPendingCallWatcher::finished, this, [this, asked](QDBusPendingCallWatcher* done) {
        done->deleteLater();
        const QDBusPendingReply<bool> reply = *done;
        if (reply.isError())
            qCWarning(lcApp, "Unable to ask the session bus for a tray watcher: %s", qUtf8Printable(reply.error().message()));
        else if (asked == m_busChanges)
            setHasWatcher(reply.value());
    });
}

void FreedesktopTrayHost::followX(const QByteArray& display)
{
    int screenNumber = 0;
    m_connection = xcb_connect(display.constData(), &screenNumber);
    if (xcb_connection_has_error(m_connection)) {
        qCWarning(lcApp, "Unable to connect to X display %s to look for a system tray", display.constData());
        closeX();
        return;
    }
    const xcb_query_extension_reply_t* xfixes = xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        qCWarning(lcApp, "The X server has no XFixes extension; an XEmbed tray that starts later goes unnoticed");
        closeX();
        return;
    }
    std::free(xcb_xfixes_query_version_reply(m_connection, xcb_xfixes_query_version(m_connection, 5, 0), nullptr));
    m_xfixesEvent = xfixes->first_event;

    xcb_screen_iterator_t screens = xcb_setup_roots_iterator(xcb_get_setup(m_connection));
    for (int i = 0; i < screenNumber && screens.rem > 1; ++i)
        xcb_screen_next(&screens);
    const xcb_window_t root = screens.data->root;
    // The tray manager of screen n owns _NET_SYSTEM_TRAY_Sn (the freedesktop system tray protocol).
    const QByteArray name = "_NET_SYSTEM_TRAY_S" + QByteArray::number(screenNumber);
    auto* atom = xcb_intern_atom_reply(
        m_connection, xcb_intern_atom(m_connection, false, uint16_t(name.size()), name.constData()), nullptr);
    m_selection = atom ? atom->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(atom);
    // Asked for notices before the owner is read, so no change falls between.
    xcb_xfixes_select_selection_input(m_connection, root, m_selection,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    auto* owner = xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, m_selection), nullptr);
    setHasXEmbedTray(owner && owner->owner != XCB_NONE);
    std::free(owner);

    m_notifier = new QSocketNotifier(xcb_get_file_descriptor(m_connection), QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &FreedesktopTrayHost::readX);
    readX(); // notices already read along with the replies
}

void FreedesktopTrayHost::readX()
{
    if (!m_connection)
        return;
    while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
        if ((event->response_type & 0x7f) == m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY) {
            const auto* notice = reinterpret_cast<xcb_xfixes_selection_notify_event_t*>(event);
            if (notice->selection == m_selection)
                setHasXEmbedTray(notice->owner != XCB_NONE);
        }
        std::free(event);
    }
    if (xcb_connection_has_error(m_connection)) {
        qCWarning(lcApp, "Lost the X connection that follows the system tray");
        closeX();
    }
}

void FreedesktopTrayHost::closeX()
{
    delete m_notifier;
    m_notifier = nullptr;
    if (m_connection)
        xcb_disconnect(m_connection);
    m_connection = nullptr;
}

void FreedesktopTrayHost::setHasWatcher(bool value)
{
    if (value == m_hasWatcher)
        return;
    const bool before = isAvailable();
    m_hasWatcher = value;
    qCInfo(lcApp, "StatusNotifierItem watcher %s", value ? "appeared" : "went away");
    if (isAvailable() != before)
        Q_EMIT availableChanged();
}

void FreedesktopTrayHost::setHasXEmbedTray(bool value)
{
    if (value == m_hasXEmbedTray)
        return;
    const bool before = isAvailable();
    m_hasXEmbedTray = value;
    qCInfo(lcApp, "XEmbed system tray %s", value ? "appeared" : "went away");
    if (isAvailable() != before)
        Q_EMIT availableChanged();
}
