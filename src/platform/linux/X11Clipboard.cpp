#include "X11Clipboard.h"

#include "DesktopApplicationCatalog.h"
#include "Log.h"
#include "PlatformTrace.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>
#include <QMutexLocker>

#include <xcb/xfixes.h>

#include <cstdlib>
#include <ctime>

namespace {

qint64 nowMs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return qint64(ts.tv_sec) * 1000 + ts.tv_nsec / 1'000'000;
}

// Targets that describe the selection rather than offer content.
bool isMetaTarget(const QString& name)
{
    return name == QLatin1String("TARGETS") || name == QLatin1String("MULTIPLE") || name == QLatin1String("TIMESTAMP")
        || name == QLatin1String("SAVE_TARGETS");
}

// The types whose content the history's rules look at.
constexpr const char* markerTypes[] = { "x-kde-passwordManagerHint", "text/uri-list" };
constexpr qsizetype markerBoundBytes = 64 * 1024;

} // namespace

X11Clipboard::X11Clipboard(const QByteArray& display, QObject* parent)
    : SystemClipboard(parent)
{
    m_connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    const xcb_query_extension_reply_t* xfixes
        = xcb_connection_has_error(m_connection) ? nullptr : xcb_get_extension_data(m_connection, &xcb_xfixes_id);
    if (!xfixes || !xfixes->present) {
        qCCritical(lcClipboard, "No X display with XFixes for the clipboard; copies are not noticed");
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    std::free(xcb_xfixes_query_version_reply(m_connection, xcb_xfixes_query_version(m_connection, 5, 0), nullptr));
    m_xfixesEvent = xfixes->first_event;
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    m_window = xcb_generate_id(m_connection);
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
        XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    m_clipboard = atom("CLIPBOARD");
    m_property = atom("BRIMWELL_CLIPBOARD");
    xcb_xfixes_select_selection_input(m_connection, m_window, m_clipboard,
        XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY
            | XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
    xcb_flush(m_connection);
    if (!m_reader.start([this] { run(); }))
        qCCritical(lcClipboard, "Unable to start the clipboard reader; copies are not noticed");
}

X11Clipboard::~X11Clipboard()
{
    m_reader.stop();
    if (m_connection)
        xcb_disconnect(m_connection);
}

void X11Clipboard::read(WantsText wantsText, ReadHandler done)
{
    if (!m_connection) {
        QMetaObject::invokeMethod(
            this, [done] { done({}); }, Qt::QueuedConnection);
        return;
    }
    {
        QMutexLocker lock(&m_mutex);
        m_requests.push_back({ std::move(wantsText), std::move(done) });
    }
    m_reader.wake();
}

bool X11Clipboard::writeText(const QString& text, const QString& marker)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    auto* data = new QMimeData;
    data->setText(text);
    data->setData(marker, QByteArrayLiteral("1"));
    clipboard->setMimeData(data, QClipboard::Clipboard);
    return clipboard->ownsClipboard();
}

bool X11Clipboard::writeFiles(const QList<QUrl>& files)
{
    QByteArray copied("copy");
    for (const QUrl& file : files)
        copied += '\n' + file.toEncoded();
    auto* data = new QMimeData;
    data->setUrls(files);
    data->setData(QStringLiteral("x-special/gnome-copied-files"), copied);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setMimeData(data, QClipboard::Clipboard);
    return clipboard->ownsClipboard();
}

void X11Clipboard::run()
{
    while (!m_reader.stopping()) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            handleEvent(event);
            std::free(event);
        }
        if (xcb_connection_has_error(m_connection)) {
            qCCritical(lcClipboard, "Lost the X connection of the clipboard reader; copies are no longer noticed");
            return;
        }
        std::optional<Request> request;
        {
            QMutexLocker lock(&m_mutex);
            if (!m_requests.empty()) {
                request = std::move(m_requests.front());
                m_requests.pop_front();
            }
        }
        if (request) {
            const Contents contents = readContents(request->wantsText);
            QMetaObject::invokeMethod(
                this, [done = std::move(request->done), contents] { done(contents); }, Qt::QueuedConnection);
            continue;
        }
        m_reader.wait(m_connection);
    }
}

void X11Clipboard::handleEvent(xcb_generic_event_t* event)
{
    if ((event->response_type & 0x7f) != m_xfixesEvent + XCB_XFIXES_SELECTION_NOTIFY)
        return;
    // Whose window is in front says where the copy came from; by the time
    // the text is read the user may have moved on.
    m_sourceAppName = activeApplicationName();
    ++m_changeCount;
    qCDebug(lcTraceX11, "CLIPBOARD has a new owner (change %d)", int(m_changeCount));
    QMetaObject::invokeMethod(
        this, [this] { Q_EMIT changed(); }, Qt::QueuedConnection);
}

xcb_generic_event_t* X11Clipboard::waitForEvent(qint64 deadlineMs, const std::function<bool(xcb_generic_event_t*)>& wanted)
{
    while (!m_reader.stopping()) {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if (wanted(event))
                return event;
            handleEvent(event);
            std::free(event);
        }
        const qint64 remaining = deadlineMs - nowMs();
        if (remaining <= 0 || xcb_connection_has_error(m_connection))
            return nullptr;
        m_reader.wait(m_connection, int(remaining));
    }
    return nullptr;
}

QByteArray X11Clipboard::convert(const char* target, bool& ok, bool& timedOut, qsizetype bound)
{
    ok = false;
    timedOut = false;
    xcb_delete_property(m_connection, m_window, m_property);
    xcb_convert_selection(m_connection, m_window, m_clipboard, atom(target), m_property, XCB_CURRENT_TIME);
    xcb_flush(m_connection);
    xcb_generic_event_t* answer = waitForEvent(nowMs() + answerBoundMs, [this](xcb_generic_event_t* event) {
        return (event->response_type & 0x7f) == XCB_SELECTION_NOTIFY
            && reinterpret_cast<xcb_selection_notify_event_t*>(event)->requestor == m_window;
    });
    if (!answer) {
        timedOut = true;
        return {};
    }
    const bool refused = reinterpret_cast<xcb_selection_notify_event_t*>(answer)->property == XCB_NONE;
    std::free(answer);
    if (refused)
        return {};

    const uint32_t longs = uint32_t(bound / 4 + 2);
    auto* reply = xcb_get_property_reply(
        m_connection, xcb_get_property(m_connection, true, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, longs), nullptr);
    if (!reply)
        return {};
    QByteArray data;
    if (reply->type != atom("INCR")) {
        data = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)),
            std::min<qsizetype>(xcb_get_property_value_length(reply), bound + 1));
        if (reply->bytes_after > 0 && data.size() <= bound)
            data.append(char(0)); // more than asked for: over the bound
        std::free(reply);
        ok = true;
        return data;
    }
    // Incremental: the deletion above asks for the first chunk; each chunk
    // deleted asks for the next, until an empty one.
    std::free(reply);
    for (;;) {
        xcb_generic_event_t* chunk = waitForEvent(nowMs() + answerBoundMs, [this](xcb_generic_event_t* event) {
            const auto* notify = reinterpret_cast<xcb_property_notify_event_t*>(event);
            return (event->response_type & 0x7f) == XCB_PROPERTY_NOTIFY && notify->window == m_window
                && notify->atom == m_property && notify->state == XCB_PROPERTY_NEW_VALUE;
        });
        if (!chunk) {
            timedOut = true;
            return {};
        }
        std::free(chunk);
        auto* part = xcb_get_property_reply(m_connection,
            xcb_get_property(m_connection, true, m_window, m_property, XCB_GET_PROPERTY_TYPE_ANY, 0, longs), nullptr);
        const int length = part ? xcb_get_property_value_length(part) : 0;
        if (length > 0)
            data.append(static_cast<const char*>(xcb_get_property_value(part)), length);
        std::free(part);
        if (length == 0 || data.size() > bound)
            break; // a transfer over the bound is left for the owner to abandon
    }
    ok = true;
    return data;
}

X11Clipboard::Contents X11Clipboard::readContents(const WantsText& wantsText)
{
    Contents contents;
    contents.sourceAppName = m_sourceAppName;
    bool ok = false;
    bool timedOut = false;
    const QByteArray targets = convert("TARGETS", ok, timedOut, markerBoundBytes);
    contents.timedOut = timedOut;
    if (!ok)
        return contents; // no owner, a refusal, or no answer
    const auto* atoms = reinterpret_cast<const xcb_atom_t*>(targets.constData());
    for (qsizetype i = 0; i < targets.size() / qsizetype(sizeof(xcb_atom_t)); ++i) {
        const QString name = atomName(atoms[i]);
        if (!name.isEmpty() && !isMetaTarget(name) && !contents.types.contains(name))
            contents.types.append(name);
    }
    for (const char* marker : markerTypes) {
        if (!contents.types.contains(QLatin1String(marker)))
            continue;
        const QByteArray value = convert(marker, ok, timedOut, markerBoundBytes);
        if (timedOut) {
            contents.timedOut = true;
            return contents;
        }
        if (ok)
            contents.markers.insert(QLatin1String(marker), value);
    }
    if (!wantsText(contents))
        return contents;
    for (const char* target : { "UTF8_STRING", "text/plain;charset=utf-8", "STRING" }) {
        if (!contents.types.contains(QLatin1String(target)))
            continue;
        const QByteArray value = convert(target, ok, timedOut, textBoundBytes);
        if (timedOut) {
            contents.timedOut = true;
            return contents;
        }
        if (!ok)
            continue;
        if (value.size() > textBoundBytes) {
            contents.isTooLong = true;
            return contents;
        }
        contents.text = qstrcmp(target, "STRING") == 0 ? QString::fromLatin1(value) : QString::fromUtf8(value);
        break;
    }
    return contents;
}

xcb_atom_t X11Clipboard::atom(const char* name)
{
    if (const auto known = m_atoms.constFind(QByteArray(name)); known != m_atoms.cend())
        return *known;
    auto* reply
        = xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, false, uint16_t(qstrlen(name)), name), nullptr);
    const xcb_atom_t result = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    std::free(reply);
    if (result != XCB_ATOM_NONE)
        m_atoms.insert(QByteArray(name), result);
    return result;
}

QString X11Clipboard::atomName(xcb_atom_t atom)
{
    auto* reply = xcb_get_atom_name_reply(m_connection, xcb_get_atom_name(m_connection, atom), nullptr);
    QString name;
    if (reply)
        name = QString::fromLatin1(xcb_get_atom_name_name(reply), xcb_get_atom_name_name_length(reply));
    std::free(reply);
    return name;
}

std::optional<QString> X11Clipboard::activeApplicationName()
{
    const auto property = [this](xcb_window_t window, xcb_atom_t name, xcb_atom_t type) {
        auto* reply
            = xcb_get_property_reply(m_connection, xcb_get_property(m_connection, false, window, name, type, 0, 256), nullptr);
        QByteArray value;
        if (reply)
            value = QByteArray(static_cast<const char*>(xcb_get_property_value(reply)), xcb_get_property_value_length(reply));
        std::free(reply);
        return value;
    };
    const QByteArray active = property(m_root, atom("_NET_ACTIVE_WINDOW"), XCB_ATOM_WINDOW);
    if (active.size() < qsizetype(sizeof(xcb_window_t)))
        return std::nullopt;
    const xcb_window_t window = *reinterpret_cast<const xcb_window_t*>(active.constData());
    if (window == XCB_WINDOW_NONE)
        return std::nullopt;
    // WM_CLASS is "instance\0class\0"; either may name the desktop entry.
    const QList<QByteArray> names = property(window, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING).split('\0');
    for (const QByteArray& name : names) {
        const QString path = DesktopApplicationCatalog::desktopFile(QString::fromUtf8(name));
        if (path.isEmpty())
            continue;
        const QString title = DesktopApplicationCatalog::desktopEntry(path).value(QStringLiteral("Name"));
        if (!title.isEmpty())
            return title;
    }
    if (names.size() > 1 && !names[1].isEmpty())
        return QString::fromUtf8(names[1]);
    return std::nullopt;
}
