#include "KWinBlurBehind.h"

#include <QGuiApplication>
#include <QTest>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>
#include <vector>

namespace {
// The blur-behind rectangles on `window`, as the desktop reads them.
std::vector<QRect> blurRegion(QWindow* window)
{
    xcb_connection_t* c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    const char name[] = "_KDE_NET_WM_BLUR_BEHIND_REGION";
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(c, xcb_intern_atom(c, false, std::strlen(name), name), nullptr);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        c, xcb_get_property(c, false, xcb_window_t(window->winId()), atom->atom, XCB_ATOM_CARDINAL, 0, 4096), nullptr);
    std::vector<QRect> rects;
    if (reply && reply->format == 32) {
        const auto* values = static_cast<const uint32_t*>(xcb_get_property_value(reply));
        for (int i = 0; i + 3 < xcb_get_property_value_length(reply) / 4; i += 4)
            rects.emplace_back(int(values[i]), int(values[i + 1]), int(values[i + 2]), int(values[i + 3]));
    }
    std::free(reply);
    std::free(atom);
    return rects;
}
} // namespace

TEST(KWinBlurBehindTest, WritesTheRegionAsTheDesktopReadsItAndClearsIt)
{
    ASSERT_TRUE(KWinBlurBehind::isAvailable());
    QWindow window;
    window.setFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
    window.resize(200, 100);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));

    KWinBlurBehind blur;
    const QRegion wanted = QRegion(10, 5, 80, 40) + QRegion(20, 45, 60, 30);
    blur.setRegion(&window, wanted);
    QRegion read;
    for (const QRect& r : blurRegion(&window))
        read += r;
    EXPECT_EQ(read, wanted);

    blur.setRegion(&window, QRegion()); // an empty region blurs nothing, not the whole window
    EXPECT_TRUE(blurRegion(&window).empty());
    blur.setRegion(&window, wanted);
    blur.clear(&window);
    EXPECT_TRUE(blurRegion(&window).empty());
}
