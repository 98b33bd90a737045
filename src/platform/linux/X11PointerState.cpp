#include "X11PointerState.h"

#include "X11Connection.h"

#include <QCursor>
#include <QGuiApplication>

#include <xcb/xcb.h>

#include <cstdlib>

// On X11, QCursor::pos() asks the server (and applies Qt's scaling).
QPoint X11PointerState::location() const
{
    return QCursor::pos();
}

bool X11PointerState::isPrimaryButtonPressed() const
{
    xcb_connection_t* connection = x11Connection("reading the pointer's buttons from the X server");
    if (!connection)
        return QGuiApplication::mouseButtons().testFlag(Qt::LeftButton);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_query_pointer_reply_t* reply = xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
    if (!reply)
        return false;
    const bool pressed = reply->mask & XCB_BUTTON_MASK_1;
    std::free(reply);
    return pressed;
}
