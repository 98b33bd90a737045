#include "X11IslandPanel.h"

#include <QGuiApplication>
#include <QRegion>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>

#include <xcb/shape.h>

#include <cstdlib>

namespace {

// The panel's input shape as the server has it, in window coordinates.
QRegion inputShape(const X11IslandPanel& panel)
{
    xcb_connection_t* c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    xcb_shape_get_rectangles_reply_t* reply = xcb_shape_get_rectangles_reply(
        c, xcb_shape_get_rectangles(c, xcb_window_t(panel.winId()), XCB_SHAPE_SK_INPUT), nullptr);
    QRegion shape;
    if (reply) {
        const xcb_rectangle_t* rects = xcb_shape_get_rectangles_rectangles(reply);
        for (int i = 0; i < xcb_shape_get_rectangles_rectangles_length(reply); ++i)
            shape += QRect(rects[i].x, rects[i].y, rects[i].width, rects[i].height);
    }
    std::free(reply);
    return shape;
}

TEST(X11IslandPanelTest, TheOutlineStaysOnScreenWhileThePanelGrowsAndMoves)
{
    X11IslandPanel panel;
    panel.setFrame(QRect(500, 0, 150, 22));
    panel.setIslandShape(QRegion(0, 0, 150, 22));
    panel.orderFrontRegardless();
    EXPECT_EQ(inputShape(panel), QRegion(0, 0, 150, 22));

    // Opening grows the panel about its centre; until the new outline comes,
    // the old one must not slide away from under the pointer.
    panel.setFrame(QRect(300, 0, 550, 200));
    EXPECT_EQ(inputShape(panel), QRegion(200, 0, 150, 22));
    panel.setIslandShape(QRegion(100, 0, 350, 150));
    EXPECT_EQ(inputShape(panel), QRegion(100, 0, 350, 150));

    // A resize in place shifts nothing.
    panel.setFrame(QRect(300, 0, 550, 100));
    EXPECT_EQ(inputShape(panel), QRegion(100, 0, 350, 150));
}

} // namespace
