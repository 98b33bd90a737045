#include "KWinBlurBehind.h"

#include "PlatformLog.h"
#include "X11Connection.h"

#include <QGuiApplication>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <vector>

namespace {
xcb_connection_t* connection()
{
    return x11Connection("the blur behind the glass background");
}

xcb_atom_t blurAtom(xcb_connection_t* c)
{
    static xcb_atom_t atom = XCB_ATOM_NONE;
    if (atom != XCB_ATOM_NONE)
        return atom;
    static const char name[] = "_KDE_NET_WM_BLUR_BEHIND_REGION";
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(c, xcb_intern_atom(c, false, sizeof(name) - 1, name), nullptr);
    if (reply) {
        atom = reply->atom;
        std::free(reply);
    }
    if (atom == XCB_ATOM_NONE)
        qCCritical(lcPlatformDisplay, "Could not intern %s; no blur behind the island", name);
    return atom;
}

// The property is in native pixels.
std::vector<uint32_t> cardinals(const QRegion& region, qreal scale)
{
    std::vector<uint32_t> data;
    for (const QRect& r : region) {
        const QRect native(QPoint(qRound(r.x() * scale), qRound(r.y() * scale)),
            QPoint(qRound((r.x() + r.width()) * scale) - 1, qRound((r.y() + r.height()) * scale) - 1));
        if (native.isEmpty())
            continue;
        data.push_back(uint32_t(native.x()));
        data.push_back(uint32_t(native.y()));
        data.push_back(uint32_t(native.width()));
        data.push_back(uint32_t(native.height()));
    }
    return data;
}
} // namespace

bool KWinBlurBehind::isAvailable()
{
    return connection() != nullptr;
}

void KWinBlurBehind::setRegion(QWindow* window, const QRegion& region)
{
    xcb_connection_t* c = connection();
    if (!c || !window || !window->handle())
        return;
    const xcb_atom_t atom = blurAtom(c);
    if (atom == XCB_ATOM_NONE)
        return;
    // An empty list would mean the whole window; an empty region means none.
    if (region.isEmpty()) {
        clear(window);
        return;
    }
    const std::vector<uint32_t> data = cardinals(region, window->devicePixelRatio());
    xcb_change_property(
        c, XCB_PROP_MODE_REPLACE, xcb_window_t(window->winId()), atom, XCB_ATOM_CARDINAL, 32, uint32_t(data.size()), data.data());
    xcb_flush(c);
}

void KWinBlurBehind::clear(QWindow* window)
{
    xcb_connection_t* c = connection();
    if (!c || !window || !window->handle())
        return;
    const xcb_atom_t atom = blurAtom(c);
    if (atom == XCB_ATOM_NONE)
        return;
    xcb_delete_property(c, xcb_window_t(window->winId()), atom);
    xcb_flush(c);
}
