#pragma once

#include "ChildProcess.h"
#include "X11Keys.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QImage>
#include <QList>
#include <QRect>
#include <QString>

#include <xcb/randr.h>
#include <xcb/xcb.h>
#include <xcb/xcbext.h>
#include <xcb/xtest.h>

#include <poll.h>
#include <sys/uio.h>

#include <cstdlib>
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <optional>

/// An Xvfb of the test's own (1280 x 800, XTEST, RandR, no window manager)
/// and a raw X connection to look at it and act on it from outside, the way
/// a user's pointer and a drag source would. Waits are bounded and end as
/// soon as their condition holds.
class PrivateXServer {
public:
    PrivateXServer()
    {
        // -displayfd 1: the server picks a free display and prints its number.
        const QString display = ChildProcess::startAndReadLine(m_server, QStringLiteral("Xvfb"),
            QStringLiteral("-displayfd 1 -screen 0 1280x800x24 -nolisten tcp +extension XTEST +extension RANDR").split(' '));
        if (!display.isEmpty())
            connectTo(QLatin1Char(':') + display);
    }
    /// Attaches to an X server that runs already (XWayland under a compositor).
    explicit PrivateXServer(const QString& existingDisplay) { connectTo(existingDisplay); }
    ~PrivateXServer()
    {
        if (m_connection)
            xcb_disconnect(m_connection);
        m_server.terminate();
        m_server.waitForFinished(5000);
    }
    PrivateXServer(const PrivateXServer&) = delete;
    PrivateXServer& operator=(const PrivateXServer&) = delete;

    bool isRunning() const { return m_connection && !xcb_connection_has_error(m_connection); }
    QString display() const { return m_display; }
    xcb_window_t root() const { return m_root; }

private:
    void connectTo(const QString& display)
    {
        m_display = display;
        m_connection = xcb_connect(m_display.toLatin1().constData(), nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        // New top-level windows are reported to us.
        const uint32_t mask = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }

    /// A reply of the server, freed with the object.
    template <typename T> using Reply = std::unique_ptr<T, decltype(&std::free)>;
    template <typename T> static Reply<T> own(T* reply) { return Reply<T>(reply, &std::free); }

public:
    xcb_atom_t atom(const char* name) const
    {
        const auto reply
            = own(xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, false, std::strlen(name), name), nullptr));
        return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
    }
    /// The raw bytes of a window property; absent when it is not set.
    std::optional<QByteArray> property(xcb_window_t window, xcb_atom_t name) const
    {
        const auto reply = own(xcb_get_property_reply(
            m_connection, xcb_get_property(m_connection, false, window, name, XCB_ATOM_ANY, 0, 1024), nullptr));
        if (!reply || reply->type == XCB_ATOM_NONE)
            return std::nullopt;
        return QByteArray(
            static_cast<const char*>(xcb_get_property_value(reply.get())), xcb_get_property_value_length(reply.get()));
    }
    bool ownedBy(xcb_window_t window, qint64 pid) const
    {
        const auto owner = property(window, atom("_NET_WM_PID"));
        return owner && owner->size() == 4 && *reinterpret_cast<const uint32_t*>(owner->constData()) == uint32_t(pid);
    }

    /// The children of `parent` (the root when 0), bottom to top.
    QList<xcb_window_t> topLevelWindows(xcb_window_t parent = 0) const
    {
        const auto tree
            = own(xcb_query_tree_reply(m_connection, xcb_query_tree(m_connection, parent ? parent : m_root), nullptr));
        return tree
            ? QList<xcb_window_t>(xcb_query_tree_children(tree.get()), xcb_query_tree_children(tree.get()) + tree->children_len)
            : QList<xcb_window_t>();
    }

    /// The top-level window titled `title` of process `pid`, or 0.
    xcb_window_t findWindow(const QByteArray& title, qint64 pid) const
    {
        for (xcb_window_t w : topLevelWindows()) {
            if (property(w, XCB_ATOM_WM_NAME) == title && ownedBy(w, pid))
                return w;
        }
        return 0;
    }

    /// A window of a process, anywhere in the tree: where it is on the
    /// screen and whether it sits on the root, is viewable, bypasses the
    /// window manager.
    struct ProcessWindow {
        xcb_window_t id;
        QRect rect;
        bool topLevel, viewable, overrideRedirect;
    };
    QList<ProcessWindow> windowsOf(qint64 pid, xcb_window_t parent = 0) const
    {
        QList<ProcessWindow> found;
        for (xcb_window_t w : topLevelWindows(parent)) {
            const auto at = ownedBy(w, pid) ? own(xcb_translate_coordinates_reply(
                                m_connection, xcb_translate_coordinates(m_connection, w, m_root, 0, 0), nullptr))
                                            : own<xcb_translate_coordinates_reply_t>(nullptr);
            if (at)
                found.append({ w, QRect(QPoint(at->dst_x, at->dst_y), geometry(w).size()), !parent, isViewable(w),
                    isOverrideRedirect(w) });
            found += windowsOf(pid, w);
        }
        return found;
    }

    /// Where a window is in its parent.
    QRect geometry(xcb_window_t window) const
    {
        const auto reply = own(xcb_get_geometry_reply(m_connection, xcb_get_geometry(m_connection, window), nullptr));
        return reply ? QRect(reply->x, reply->y, reply->width, reply->height) : QRect();
    }
    bool isOverrideRedirect(xcb_window_t window) const
    {
        const auto a = attributes(window);
        return a && a->override_redirect;
    }
    /// The window is mapped and all its ancestors too.
    bool isViewable(xcb_window_t window) const
    {
        const auto a = attributes(window);
        return a && a->map_state == XCB_MAP_STATE_VIEWABLE;
    }

    /// Waits for the island's window of process `pid` and follows it; 0 when
    /// it never shows.
    xcb_window_t islandOf(qint64 pid, int boundMs = 5000)
    {
        xcb_window_t window = 0;
        if (waitFor([&] { return (window = findWindow("Brimwell Island", pid)) != 0; }, boundMs))
            follow(window);
        return window;
    }
    bool geometryBecomes(xcb_window_t window, const QRect& rect, int boundMs = 5000)
    {
        return waitFor([&] { return geometry(window) == rect; }, boundMs);
    }
    /// Reports the window's moves and resizes to us, so waits wake on them.
    void follow(xcb_window_t window)
    {
        const uint32_t mask = XCB_EVENT_MASK_STRUCTURE_NOTIFY;
        xcb_change_window_attributes(m_connection, window, XCB_CW_EVENT_MASK, &mask);
        xcb_flush(m_connection);
    }

    /// The pointer and its first button as a user moves them (XTEST).
    void movePointer(int x, int y)
    {
        xcb_test_fake_input(m_connection, XCB_MOTION_NOTIFY, 0, XCB_CURRENT_TIME, m_root, int16_t(x), int16_t(y), 0);
        xcb_flush(m_connection);
    }
    QPoint pointer() const
    {
        const auto reply = own(xcb_query_pointer_reply(m_connection, xcb_query_pointer(m_connection, m_root), nullptr));
        return reply ? QPoint(reply->root_x, reply->root_y) : QPoint(-1, -1);
    }
    void pressButton(bool down)
    {
        xcb_test_fake_input(m_connection, down ? XCB_BUTTON_PRESS : XCB_BUTTON_RELEASE, 1, XCB_CURRENT_TIME, m_root, 0, 0, 0);
        xcb_flush(m_connection);
    }
    void click()
    {
        pressButton(true);
        pressButton(false);
    }
    void setBackground(uint32_t rgb)
    {
        xcb_change_window_attributes(m_connection, m_root, XCB_CW_BACK_PIXEL, &rgb);
        xcb_clear_area(m_connection, false, m_root, 0, 0, 0, 0);
        xcb_flush(m_connection);
    }
    /// The colour on screen at a point, as 0xRRGGBB.
    uint32_t pixel(int x, int y) const { return image(QRect(x, y, 1, 1)).pixel(0, 0) & 0xffffff; }
    /// What the screen shows in `rect`, as RGB32.
    QImage image(const QRect& rect) const
    {
        QImage result(rect.size(), QImage::Format_RGB32);
        result.fill(Qt::black);
        const auto reply = own(xcb_get_image_reply(m_connection,
            xcb_get_image(m_connection, XCB_IMAGE_FORMAT_Z_PIXMAP, m_root, int16_t(rect.x()), int16_t(rect.y()),
                uint16_t(rect.width()), uint16_t(rect.height()), ~0u),
            nullptr));
        if (reply && xcb_get_image_data_length(reply.get()) >= rect.width() * rect.height() * 4)
            std::memcpy(result.bits(), xcb_get_image_data(reply.get()), size_t(rect.width() * rect.height() * 4));
        return result;
    }
    xcb_keycode_t keycode(xcb_keysym_t keysym) const { return keycodeOf(m_connection, keysym); }
    /// Holds a key on the root window (no modifiers), as a desktop's own
    /// shortcut handler does; false when another client holds it.
    bool grabKey(xcb_keycode_t key, bool grab = true)
    {
        return succeeded(grab
                ? xcb_grab_key_checked(m_connection, false, m_root, 0, key, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)
                : xcb_ungrab_key_checked(m_connection, key, m_root, 0));
    }
    /// Adds (or replaces) a RandR monitor, as plugging in a screen does.
    bool setMonitor(const char* name, const QRect& rect)
    {
        xcb_randr_monitor_info_t info {};
        info.name = atom(name);
        info.x = int16_t(rect.x());
        info.y = int16_t(rect.y());
        info.width = uint16_t(rect.width());
        info.height = uint16_t(rect.height());
        info.width_in_millimeters = uint32_t(rect.width() / 4);
        info.height_in_millimeters = uint32_t(rect.height() / 4);
        // Sent by hand: libxcb-randr 1.15's xcb_randr_set_monitor leaves part
        // of its request vector uninitialised.
        xcb_randr_set_monitor_request_t request {};
        request.window = m_root;
        iovec parts[4];
        parts[2] = { &request, sizeof request };
        parts[3] = { &info, sizeof info };
        xcb_protocol_request_t protocol { 2, &xcb_randr_id, XCB_RANDR_SET_MONITOR, 1 };
        const xcb_void_cookie_t cookie { xcb_send_request(m_connection, XCB_REQUEST_CHECKED, parts + 2, &protocol) };
        return succeeded(cookie);
    }
    bool deleteMonitor(const char* name) { return succeeded(xcb_randr_delete_monitor_checked(m_connection, m_root, atom(name))); }
    /// Waits until `condition` holds, waking on every event from the server;
    /// events are kept for takeClientMessage().
    bool waitFor(const std::function<bool()>& condition, int boundMs = 5000)
    {
        QDeadlineTimer deadline(boundMs);
        for (;;) {
            drain();
            if (condition())
                return true;
            if (deadline.hasExpired())
                return false;
            pollfd fd { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
            ::poll(&fd, 1, int(std::min<qint64>(deadline.remainingTime(), 100)));
        }
    }
    /// The oldest client message of `type` received so far, removed from the queue.
    std::optional<xcb_client_message_event_t> takeClientMessage(xcb_atom_t type)
    {
        drain();
        for (auto it = m_messages.begin(); it != m_messages.end(); ++it) {
            if (it->type == type) {
                const xcb_client_message_event_t message = *it;
                m_messages.erase(it);
                return message;
            }
        }
        return std::nullopt;
    }
    /// Sends a client message of `type` to `window` with five 32-bit values.
    void sendClientMessage(xcb_window_t window, xcb_atom_t type, std::initializer_list<uint32_t> data)
    {
        xcb_client_message_event_t event {};
        event.response_type = XCB_CLIENT_MESSAGE;
        event.format = 32;
        event.window = window;
        event.type = type;
        int i = 0;
        for (uint32_t v : data)
            event.data.data32[i++] = v;
        xcb_send_event(m_connection, false, window, XCB_EVENT_MASK_NO_EVENT, reinterpret_cast<const char*>(&event));
        xcb_flush(m_connection);
    }
    /// A plain unmapped window of our own, e.g. a drag source.
    xcb_window_t createWindow()
    {
        const xcb_window_t window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
            XCB_COPY_FROM_PARENT, 0, nullptr);
        xcb_flush(m_connection);
        return window;
    }
    /// A mapped window over `rect` that announces itself as a drop target.
    xcb_window_t createDropTarget(const QRect& rect)
    {
        const xcb_window_t window = createMapped(rect, 0);
        const uint32_t version = 5;
        xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, window, atom("XdndAware"), XCB_ATOM_ATOM, 32, 1, &version);
        xcb_flush(m_connection);
        return window;
    }
    /// A mapped window over `rect`, below every other window, that counts
    /// the button presses it receives (clicksOn()).
    xcb_window_t createClickRecorder(const QRect& rect)
    {
        const xcb_window_t window = createMapped(rect, XCB_EVENT_MASK_BUTTON_PRESS);
        const uint32_t below = XCB_STACK_MODE_BELOW;
        xcb_configure_window(m_connection, window, XCB_CONFIG_WINDOW_STACK_MODE, &below);
        xcb_flush(m_connection);
        return window;
    }
    int clicksOn(xcb_window_t window)
    {
        drain();
        return m_clicks.count(window) ? m_clicks.at(window) : 0;
    }
    /// Asks the owner of `selection` for `target` into a property of
    /// `window`, and returns what arrives.
    std::optional<QByteArray> convertSelection(xcb_window_t window, const char* selection, const char* target)
    {
        const xcb_atom_t into = atom("BRIMWELL_TEST_DATA");
        m_selectionNotified = false;
        xcb_convert_selection(m_connection, window, atom(selection), atom(target), into, XCB_CURRENT_TIME);
        xcb_flush(m_connection);
        if (!waitFor([this] { return m_selectionNotified; }))
            return std::nullopt;
        return property(window, into);
    }
    /// The window owning a selection; 0 when none does.
    xcb_window_t selectionOwner(const char* name) const
    {
        const auto reply
            = own(xcb_get_selection_owner_reply(m_connection, xcb_get_selection_owner(m_connection, atom(name)), nullptr));
        return reply ? reply->owner : xcb_window_t(XCB_NONE);
    }

private:
    bool succeeded(xcb_void_cookie_t cookie)
    {
        xcb_generic_error_t* error = xcb_request_check(m_connection, cookie);
        std::free(error);
        return !error;
    }
    Reply<xcb_get_window_attributes_reply_t> attributes(xcb_window_t window) const
    {
        return own(xcb_get_window_attributes_reply(m_connection, xcb_get_window_attributes(m_connection, window), nullptr));
    }
    /// A mapped override-redirect window of our own over `rect`, receiving `events`.
    xcb_window_t createMapped(const QRect& rect, uint32_t events)
    {
        const xcb_window_t window = xcb_generate_id(m_connection);
        const uint32_t values[] = { 1, events };
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, window, m_root, int16_t(rect.x()), int16_t(rect.y()),
            uint16_t(rect.width()), uint16_t(rect.height()), 0, XCB_WINDOW_CLASS_INPUT_OUTPUT, XCB_COPY_FROM_PARENT,
            XCB_CW_OVERRIDE_REDIRECT | XCB_CW_EVENT_MASK, values);
        xcb_map_window(m_connection, window);
        return window;
    }

    void drain()
    {
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            if ((event->response_type & 0x7f) == XCB_CLIENT_MESSAGE)
                m_messages.push_back(*reinterpret_cast<xcb_client_message_event_t*>(event));
            else if ((event->response_type & 0x7f) == XCB_SELECTION_NOTIFY)
                m_selectionNotified = true;
            else if ((event->response_type & 0x7f) == XCB_BUTTON_PRESS)
                ++m_clicks[reinterpret_cast<xcb_button_press_event_t*>(event)->event];
            std::free(event);
        }
    }

    QProcess m_server;
    QString m_display;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_root = 0;
    std::deque<xcb_client_message_event_t> m_messages;
    bool m_selectionNotified = false;
    std::map<xcb_window_t, int> m_clicks;
};
