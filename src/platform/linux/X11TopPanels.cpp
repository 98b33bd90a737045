#include "X11TopPanels.h"

#include "Log.h"
#include "PlatformLog.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <memory>

namespace {

struct FreeReply {
    void operator()(void* reply) const { std::free(reply); }
};
template <typename T> using Reply = std::unique_ptr<T, FreeReply>;

} // namespace

X11TopPanels::X11TopPanels(const QByteArray& display, QObject* parent)
    : QObject(parent)
{
    m_connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
    if (xcb_connection_has_error(m_connection)) {
        qCWarning(lcPlatformDisplay, "No X display to read the top panels from; the island treats every screen as without one");
        xcb_disconnect(m_connection);
        m_connection = nullptr;
        return;
    }
    m_root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
    m_atoms = { atom("_NET_CLIENT_LIST"), atom("_NET_CURRENT_DESKTOP"), atom("_NET_WORKAREA"), atom("_NET_WM_WINDOW_TYPE"),
        atom("_NET_WM_WINDOW_TYPE_DOCK"), atom("_NET_WM_STRUT_PARTIAL"), atom("_NET_WM_STRUT") };
    // Root properties tell of window-manager lists and work areas; its
    // children's maps and unmaps tell of panels where no window manager runs.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(m_connection, m_root, XCB_CW_EVENT_MASK, &events);
    m_lastRead = read();
    m_reservations = m_lastRead;
    if (!m_reader.start([this] { run(); }))
        qCCritical(lcPlatformDisplay, "Unable to start the top panel reader; panels are read once");
}

X11TopPanels::~X11TopPanels()
{
    m_reader.stop();
    if (m_connection)
        xcb_disconnect(m_connection);
}

xcb_atom_t X11TopPanels::atom(const char* name) const
{
    Reply<xcb_intern_atom_reply_t> reply(
        xcb_intern_atom_reply(m_connection, xcb_intern_atom(m_connection, false, uint16_t(std::strlen(name)), name), nullptr));
    return reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
}

QList<uint32_t> X11TopPanels::cardinals(xcb_get_property_reply_t* reply) const
{
    if (!reply || reply->format != 32)
        return {};
    const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply));
    return QList<uint32_t>(values, values + xcb_get_property_value_length(reply) / 4);
}

void X11TopPanels::run()
{
    while (!m_reader.stopping()) {
        bool stale = false;
        while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
            switch (event->response_type & 0x7f) {
            case XCB_PROPERTY_NOTIFY: {
                const auto* notice = reinterpret_cast<xcb_property_notify_event_t*>(event);
                if (notice->window == m_root) {
                    stale |= notice->atom == m_atoms.clientList || notice->atom == m_atoms.workArea
                        || notice->atom == m_atoms.currentDesktop || (m_workAreasAtom && notice->atom == m_workAreasAtom);
                } else {
                    // Only docks are followed; any strut or type change of theirs counts.
                    stale |= notice->atom == m_atoms.strutPartial || notice->atom == m_atoms.strut
                        || notice->atom == m_atoms.windowType;
                }
                break;
            }
            case XCB_MAP_NOTIFY:
            case XCB_UNMAP_NOTIFY:
            case XCB_DESTROY_NOTIFY:
                // With a window manager, _NET_CLIENT_LIST tells of these.
                stale |= !m_hasClientList;
                break;
            default:
                break; // errors for windows that went meanwhile, moves
            }
            std::free(event);
        }
        if (xcb_connection_has_error(m_connection)) {
            qCCritical(lcPlatformDisplay, "Lost the X connection of the top panel reader; panels are no longer followed");
            return;
        }
        if (stale) {
            X11TopReservations current = read();
            if (current != m_lastRead) {
                qCDebug(lcTraceX11, "The panels' reservations at the top changed");
                m_lastRead = current;
                QMetaObject::invokeMethod(
                    this,
                    [this, current] {
                        m_reservations = current;
                        Q_EMIT changed();
                    },
                    Qt::QueuedConnection);
            }
            continue; // events may have arrived while reading
        }
        m_reader.wait(m_connection);
    }
}

// Requests go out together and their replies are collected after, so a
// reading costs a few round trips however many windows there are.
X11TopReservations X11TopPanels::read()
{
    xcb_connection_t* c = m_connection;
    const auto property = [c](xcb_window_t window, xcb_atom_t name, xcb_atom_t type, uint32_t longs) {
        return xcb_get_property(c, false, window, name, type, 0, longs);
    };
    const auto clientListCookie = property(m_root, m_atoms.clientList, XCB_ATOM_WINDOW, 4096);
    const auto desktopCookie = property(m_root, m_atoms.currentDesktop, XCB_ATOM_CARDINAL, 1);
    const auto workAreaCookie = property(m_root, m_atoms.workArea, XCB_ATOM_CARDINAL, 4096);
    const auto rootCookie = xcb_get_geometry(c, m_root);
    const auto treeCookie = xcb_query_tree(c, m_root);

    Reply<xcb_get_property_reply_t> clientList(xcb_get_property_reply(c, clientListCookie, nullptr));
    const Reply<xcb_get_property_reply_t> desktop(xcb_get_property_reply(c, desktopCookie, nullptr));
    const Reply<xcb_get_property_reply_t> workArea(xcb_get_property_reply(c, workAreaCookie, nullptr));
    const Reply<xcb_get_geometry_reply_t> rootGeometry(xcb_get_geometry_reply(c, rootCookie, nullptr));
    const Reply<xcb_query_tree_reply_t> tree(xcb_query_tree_reply(c, treeCookie, nullptr));
    const int rootWidth = rootGeometry ? rootGeometry->width : 0;

    QList<xcb_window_t> windows;
    m_hasClientList = clientList && clientList->type == XCB_ATOM_WINDOW && clientList->format == 32;
    if (m_hasClientList) {
        const auto* ids = static_cast<const xcb_window_t*>(xcb_get_property_value(clientList.get()));
        windows = QList<xcb_window_t>(ids, ids + xcb_get_property_value_length(clientList.get()) / 4);
    } else if (tree) {
        // No window manager lists its clients: panels are the root's mapped children.
        const xcb_window_t* children = xcb_query_tree_children(tree.get());
        QList<xcb_get_window_attributes_cookie_t> cookies;
        for (int i = 0; i < xcb_query_tree_children_length(tree.get()); ++i)
            cookies.append(xcb_get_window_attributes(c, children[i]));
        for (int i = 0; i < cookies.size(); ++i) {
            const Reply<xcb_get_window_attributes_reply_t> attributes(xcb_get_window_attributes_reply(c, cookies[i], nullptr));
            if (attributes && attributes->map_state == XCB_MAP_STATE_VIEWABLE && !attributes->override_redirect)
                windows.append(children[i]);
        }
    }
    clientList.reset();

    QList<xcb_get_property_cookie_t> typeCookies;
    for (xcb_window_t window : windows)
        typeCookies.append(property(window, m_atoms.windowType, XCB_ATOM_ATOM, 32));
    QList<xcb_window_t> docks;
    for (int i = 0; i < windows.size(); ++i) {
        const Reply<xcb_get_property_reply_t> type(xcb_get_property_reply(c, typeCookies[i], nullptr));
        const QList<uint32_t> types = cardinals(type.get());
        if (types.contains(m_atoms.dock))
            docks.append(windows[i]);
    }

    // Followed before they are read, so no change falls between the two.
    const uint32_t events = XCB_EVENT_MASK_PROPERTY_CHANGE;
    QList<std::pair<xcb_get_property_cookie_t, xcb_get_property_cookie_t>> strutCookies;
    for (xcb_window_t dock : docks) {
        xcb_change_window_attributes(c, dock, XCB_CW_EVENT_MASK, &events);
        strutCookies.append(
            { property(dock, m_atoms.strutPartial, XCB_ATOM_CARDINAL, 12), property(dock, m_atoms.strut, XCB_ATOM_CARDINAL, 4) });
    }
    X11TopReservations result;
    for (const auto& [partialCookie, strutCookie] : strutCookies) {
        const Reply<xcb_get_property_reply_t> partial(xcb_get_property_reply(c, partialCookie, nullptr));
        const Reply<xcb_get_property_reply_t> plain(xcb_get_property_reply(c, strutCookie, nullptr));
        // The partial strut wins where a panel sets both.
        const QList<uint32_t> partialValues = cardinals(partial.get());
        const QList<uint32_t> values = partialValues.isEmpty() ? cardinals(plain.get()) : partialValues;
        if (const std::optional<X11TopStrut> strut = topStrut(values, rootWidth))
            result.struts.append(*strut);
    }

    const uint32_t current = cardinals(desktop.get()).value(0, 0);
    const QByteArray gtkName = "_GTK_WORKAREAS_D" + QByteArray::number(current);
    const Reply<xcb_intern_atom_reply_t> gtkAtom(
        xcb_intern_atom_reply(c, xcb_intern_atom(c, true, uint16_t(gtkName.size()), gtkName.constData()), nullptr));
    m_workAreasAtom = gtkAtom ? gtkAtom->atom : xcb_atom_t(XCB_ATOM_NONE);
    if (m_workAreasAtom != XCB_ATOM_NONE) {
        const Reply<xcb_get_property_reply_t> areas(
            xcb_get_property_reply(c, property(m_root, m_workAreasAtom, XCB_ATOM_CARDINAL, 4096), nullptr));
        result.workAreas = rects(cardinals(areas.get()));
    }
    if (result.workAreas.isEmpty()) {
        const QList<QRect> perDesktop = rects(cardinals(workArea.get()));
        if (current < uint32_t(perDesktop.size()))
            result.workAreas = { perDesktop[qsizetype(current)] };
    }
    xcb_flush(c);
    return result;
}

std::optional<X11TopStrut> X11TopPanels::topStrut(const QList<uint32_t>& values, int rootWidth)
{
    if (values.size() != 12 && values.size() != 4)
        return std::nullopt;
    const uint32_t top = values[2];
    // More than any screen is tall: a broken value rather than a panel.
    if (top == 0 || top > 0x7fff)
        return std::nullopt;
    if (values.size() == 4)
        return X11TopStrut { int(top), 0, std::max(rootWidth - 1, 0) };
    const uint32_t start = values[8];
    const uint32_t end = values[9];
    if (start > end || end > 0x7fff)
        return std::nullopt;
    return X11TopStrut { int(top), int(start), int(end) };
}

QList<QRect> X11TopPanels::rects(const QList<uint32_t>& values)
{
    QList<QRect> result;
    for (qsizetype i = 0; i + 3 < values.size(); i += 4) {
        const QRect rect(
            int(int32_t(values[i])), int(int32_t(values[i + 1])), int(values[i + 2] & 0x7fff), int(values[i + 3] & 0x7fff));
        if (!rect.isEmpty())
            result.append(rect);
    }
    return result;
}

int X11TopPanels::reservedTop(const QRect& screen, const X11TopReservations& reservations)
{
    if (screen.isEmpty())
        return 0;
    int reserved = 0;
    for (const X11TopStrut& strut : reservations.struts) {
        // A strut reserves from the root's top edge down; it reaches this
        // screen's top edge when it goes past it within the screen's width.
        const bool overlaps = strut.startX <= screen.right() && strut.endX >= screen.left();
        if (overlaps && screen.top() >= 0 && strut.height > screen.top())
            reserved = std::max(reserved, std::min(strut.height - screen.top(), screen.height()));
    }
    if (!reservations.struts.isEmpty())
        return reserved;
    const QRect* best = nullptr;
    int bestOverlap = 0;
    for (const QRect& area : reservations.workAreas) {
        const QRect common = area.intersected(screen);
        const int overlap = common.isEmpty() ? 0 : common.width() * common.height();
        if (overlap > bestOverlap) {
            best = &area;
            bestOverlap = overlap;
        }
    }
    return best ? std::clamp(best->top() - screen.top(), 0, screen.height()) : 0;
}
