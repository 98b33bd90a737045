#include "KWinBlurBehind.h"
#include "PrivateXServer.h"

#include <QGuiApplication>
#include <QTest>
#include <QWindow>
#include <QtGui/qguiapplication_platform.h>

#include <gtest/gtest.h>

namespace {
// The blur-behind rectangles on `window` as the desktop reads them; none when the property is not set.
std::optional<QRegion> blurRegion(QWindow& window)
{
    xcb_connection_t* c = qGuiApp->nativeInterface<QNativeInterface::QX11Application>()->connection();
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr)); // our requests have been handled
    const PrivateXServer desktop(qEnvironmentVariable("DISPLAY"));
    const auto value = desktop.property(xcb_window_t(window.winId()), desktop.atom("_KDE_NET_WM_BLUR_BEHIND_REGION"));
    if (!value)
        return std::nullopt;
    const auto* v = reinterpret_cast<const uint32_t*>(value->constData());
    QRegion region;
    for (qsizetype i = 0; i + 3 < value->size() / 4; i += 4)
        region += QRect(int(v[i]), int(v[i + 1]), int(v[i + 2]), int(v[i + 3]));
    return region;
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
    EXPECT_EQ(blurRegion(window), wanted);
    // An empty list would blur the whole window: an empty region leaves no property.
    blur.setRegion(&window, QRegion());
    EXPECT_EQ(blurRegion(window), std::nullopt);
    blur.setRegion(&window, wanted);
    blur.clear(&window);
    EXPECT_EQ(blurRegion(window), std::nullopt);
}
