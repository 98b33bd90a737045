#include "X11IslandPanel.h"

#include "PlatformLog.h"
#include "X11Connection.h"

#include <QDragMoveEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QMimeData>
#include <QQmlError>
#include <QQuickItem>
#include <QScreen>

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

xcb_atom_t atom(xcb_connection_t* connection, const char* name)
{
    xcb_intern_atom_reply_t* reply
        = xcb_intern_atom_reply(connection, xcb_intern_atom(connection, false, std::strlen(name), name), nullptr);
    if (!reply)
        return XCB_ATOM_NONE;
    const xcb_atom_t result = reply->atom;
    std::free(reply);
    return result;
}

constexpr uint32_t xdndVersion = 5;

} // namespace

X11IslandPanel::X11IslandPanel(QWindow* parent)
    : QQuickView(parent)
{
    setFlags(Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint
        | Qt::WindowDoesNotAcceptFocus);
    setTitle(QStringLiteral("Brimwell Island"));
    setColor(Qt::transparent);
    QSurfaceFormat surface = format();
    surface.setAlphaBufferSize(8);
    setFormat(surface);
    setResizeMode(QQuickView::SizeRootObjectToView);
    create();
    setX11Class();
    updateDndAwareness();
    m_compositing = isCompositing();
    m_throughXWayland = serverIsXWayland();
}

X11IslandPanel::~X11IslandPanel() = default;

void X11IslandPanel::setX11Class()
{
    xcb_connection_t* connection = x11Connection("the panel's window class");
    if (!connection)
        return;
    static const char wmClass[] = "brimwell\0brimwell";
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(winId()), XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8,
        sizeof(wmClass), wmClass);
}

// Drag sources only offer drags to windows that announce XdndAware, so the
// announcement itself is the registration of the drop types.
void X11IslandPanel::updateDndAwareness()
{
    xcb_connection_t* connection = x11Connection("announcing drops (XdndAware)");
    if (!connection)
        return;
    const xcb_atom_t aware = atom(connection, "XdndAware");
    if (m_acceptsDrops)
        xcb_change_property(connection, XCB_PROP_MODE_REPLACE, xcb_window_t(winId()), aware, XCB_ATOM_ATOM, 32, 1, &xdndVersion);
    else
        xcb_delete_property(connection, xcb_window_t(winId()), aware);
    xcb_flush(connection);
}

void X11IslandPanel::loadRoot(const QUrl& url, const QVariantMap& initialProperties)
{
    setInitialProperties(initialProperties);
    setSource(url);
    if (status() == QQuickView::Error) {
        QStringList messages;
        for (const QQmlError& error : errors())
            messages.append(error.toString());
        qCCritical(
            lcPlatformDisplay, "The island's view failed to load: %s", qUtf8Printable(messages.join(QStringLiteral("; "))));
    }
}

void X11IslandPanel::setFrame(const QRect& frame)
{
    // Qt sends the move at once, and the new outline follows only once the
    // scene is laid out: a click in between would fall through the island
    // onto the window below. The outline is shifted to stay where it is on
    // screen, under a server grab so the shift and the move land together.
    const QPoint shift = m_frame.topLeft() - frame.topLeft();
    m_frame = frame;
    xcb_connection_t* connection = m_shape.isEmpty() || shift.isNull() ? nullptr : x11Connection("moving the panel");
    if (connection) {
        xcb_grab_server(connection);
        m_shape.translate(shift);
        applyShape();
    }
    setGeometry(frame);
    if (connection) {
        xcb_ungrab_server(connection);
        xcb_flush(connection);
    }
    // Lay the scene out for the new size now rather than when the server
    // confirms the resize.
    if (QQuickItem* root = rootObject())
        root->setSize(frame.size());
}

void X11IslandPanel::orderFrontRegardless()
{
    // A compositing manager may have come or gone since the last placement.
    const bool compositing = isCompositing();
    if (compositing != m_compositing) {
        m_compositing = compositing;
        applyShape();
    }
    if (!isVisible())
        show();
    raise();
}

void X11IslandPanel::orderOut()
{
    hide();
    reportOcclusionIfChanged();
}

bool X11IslandPanel::isVisibleOnScreen() const
{
    return isVisible() && isExposed();
}

void X11IslandPanel::setIslandShape(const QRegion& shape)
{
    if (shape == m_shape)
        return;
    m_shape = shape;
    applyShape();
}

void X11IslandPanel::applyShape()
{
    setMask(m_compositing ? QRegion() : m_shape);
    applyInputShape();
}

// Sent without waiting for a reply: the outline changes on every frame of a
// spring.
void X11IslandPanel::applyInputShape()
{
    xcb_connection_t* connection = x11Connection("setting the panel's input shape");
    if (!connection)
        return;
    const xcb_window_t window = xcb_window_t(winId());
    if (m_shape.isEmpty()) {
        // Not drawn yet: the whole window, as X has it by default.
        xcb_shape_mask(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, window, 0, 0, XCB_NONE);
    } else {
        const qreal ratio = devicePixelRatio();
        std::vector<xcb_rectangle_t> rectangles;
        rectangles.reserve(size_t(m_shape.rectCount()));
        for (const QRect& rect : m_shape) {
            // Outward, so a fractional scale never leaves a pixel of the
            // island without input.
            const QRect device(QPoint(int(std::floor(rect.left() * ratio)), int(std::floor(rect.top() * ratio))),
                QPoint(int(std::ceil((rect.right() + 1) * ratio)) - 1, int(std::ceil((rect.bottom() + 1) * ratio)) - 1));
            rectangles.push_back(
                { int16_t(device.x()), int16_t(device.y()), uint16_t(device.width()), uint16_t(device.height()) });
        }
        xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT, XCB_CLIP_ORDERING_UNSORTED, window, 0, 0,
            uint32_t(rectangles.size()), rectangles.data());
    }
    xcb_flush(connection);
}

bool X11IslandPanel::serverIsXWayland()
{
    const QList<QScreen*> screens = QGuiApplication::screens();
    return std::any_of(screens.begin(), screens.end(),
        [](const QScreen* screen) { return screen->name().startsWith(QLatin1String("XWAYLAND")); });
}

// A compositing manager owns the _NET_WM_CM_S<screen> selection.
bool X11IslandPanel::isCompositing() const
{
    xcb_connection_t* connection = x11Connection("looking for a compositing manager");
    if (!connection)
        return false;
    // The selection is per X screen: find the one our window lives on.
    int screen = 0;
    if (xcb_query_tree_reply_t* tree
        = xcb_query_tree_reply(connection, xcb_query_tree(connection, xcb_window_t(winId())), nullptr)) {
        int index = 0;
        for (auto it = xcb_setup_roots_iterator(xcb_get_setup(connection)); it.rem; xcb_screen_next(&it), ++index) {
            if (it.data->root == tree->root)
                screen = index;
        }
        std::free(tree);
    }
    const QByteArray name = "_NET_WM_CM_S" + QByteArray::number(screen);
    const xcb_atom_t selection = atom(connection, name.constData());
    xcb_get_selection_owner_reply_t* reply
        = xcb_get_selection_owner_reply(connection, xcb_get_selection_owner(connection, selection), nullptr);
    const bool owned = reply && reply->owner != XCB_NONE;
    std::free(reply);
    return owned;
}

void X11IslandPanel::setAcceptsDrops(bool accepts)
{
    if (m_acceptsDrops == accepts)
        return;
    m_acceptsDrops = accepts;
    updateDndAwareness();
}

bool X11IslandPanel::carriesDroppableData(const QMimeData& data)
{
    return data.hasUrls() || data.hasFormat(QStringLiteral("image/png")) || data.hasFormat(QStringLiteral("image/tiff"))
        || data.hasText();
}

void X11IslandPanel::exposeEvent(QExposeEvent* event)
{
    QQuickView::exposeEvent(event);
    reportOcclusionIfChanged();
}

void X11IslandPanel::reportOcclusionIfChanged()
{
    const bool visible = isVisibleOnScreen();
    if (visible == m_wasVisible)
        return;
    m_wasVisible = visible;
    Q_EMIT events().occlusionChanged();
}

bool X11IslandPanel::event(QEvent* event)
{
    switch (event->type()) {
    case QEvent::Enter:
        m_movedSinceEnter = false;
        Q_EMIT events().hoverChanged(true);
        break;
    case QEvent::MouseMove:
        if (!std::exchange(m_movedSinceEnter, true))
            Q_EMIT events().pointerMoved();
        break;
    case QEvent::Leave:
        Q_EMIT events().hoverChanged(false);
        break;
    case QEvent::Hide:
        reportOcclusionIfChanged();
        break;
    // Drags are the panel's, not the scene's: the island takes a drop whole.
    case QEvent::DragEnter: {
        auto* drag = static_cast<QDragEnterEvent*>(event);
        if (!m_acceptsDrops || !drag->mimeData() || !carriesDroppableData(*drag->mimeData())) {
            drag->ignore();
            return true;
        }
        m_dragInside = true;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        Q_EMIT events().dropTargetChanged(true);
        return true;
    }
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (m_dragInside) {
            drag->setDropAction(Qt::CopyAction);
            drag->accept();
        } else {
            drag->ignore();
        }
        return true;
    }
    case QEvent::DragLeave:
        if (m_dragInside) {
            m_dragInside = false;
            Q_EMIT events().dropTargetChanged(false);
        }
        return true;
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        const bool wasInside = std::exchange(m_dragInside, false);
        bool accepted = false;
        if (wasInside && drop->mimeData())
            Q_EMIT events().dropped(*drop->mimeData(), &accepted);
        if (accepted) {
            drop->setDropAction(Qt::CopyAction);
            drop->accept();
        } else {
            drop->ignore();
        }
        return true;
    }
    default:
        break;
    }
    return QQuickView::event(event);
}
