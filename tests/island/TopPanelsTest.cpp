#include "X11TopPanels.h"

#include <gtest/gtest.h>

// Which panels reserve the top of which screen, from the X server's values.
TEST(X11TopPanels, StrutsCountWhereTheyReachAScreensTopEdgeWithinItsWidth)
{
    // _NET_WM_STRUT_PARTIAL: left, right, top, bottom, then the start and end
    // of each side's range; _NET_WM_STRUT: the four sides, the whole width.
    const QList<uint32_t> partial { 0, 0, 30, 0, 0, 0, 0, 0, 0, 1919, 0, 0 };
    EXPECT_EQ(X11TopPanels::topStrut(partial, 3200), (X11TopStrut { 30, 0, 1919 }));
    EXPECT_EQ(X11TopPanels::topStrut({ 0, 0, 24, 0 }, 3200), (X11TopStrut { 24, 0, 3199 }));
    EXPECT_FALSE(X11TopPanels::topStrut({ 0, 0, 0, 40 }, 3200)) << "a bottom panel";
    EXPECT_FALSE(X11TopPanels::topStrut(partial.mid(0, 11), 3200));
    EXPECT_FALSE(X11TopPanels::topStrut({ 0, 0, 30, 0, 0, 0, 0, 0, 1919, 0, 0, 0 }, 3200)) << "range backwards";
    EXPECT_FALSE(X11TopPanels::topStrut({ 0, 0, 0xffffffe2, 0 }, 3200)) << "a negative height";

    // Two monitors side by side and one lower down, right of them.
    const QRect left(0, 0, 1920, 1080);
    const QRect right(1920, 0, 1280, 800);
    const QRect lower(3200, 30, 1024, 768);
    const auto reserved = [&](const QRect& screen, QList<X11TopStrut> struts, QList<QRect> workAreas = {}) {
        return X11TopPanels::reservedTop(screen, { std::move(struts), std::move(workAreas) });
    };
    EXPECT_EQ(reserved(left, { { 30, 0, 1919 } }), 30);
    EXPECT_EQ(reserved(right, { { 30, 0, 1919 } }), 0) << "ends one pixel short of the screen";
    EXPECT_EQ(reserved(right, { { 30, 0, 1920 } }), 30);
    EXPECT_EQ(reserved(left, { { 30, 1920, 3199 } }), 0) << "starts one pixel past the screen";
    EXPECT_EQ(reserved(left, { { 30, 1919, 3199 } }), 30);
    EXPECT_EQ(reserved(lower, { { 30, 3200, 4223 } }), 0) << "ends at the screen's top edge";
    EXPECT_EQ(reserved(lower, { { 31, 3200, 4223 } }), 1);
    EXPECT_EQ(reserved(left, { { 30, 0, 1919 }, { 48, 100, 400 } }), 48) << "the lower of two panels";
    EXPECT_EQ(reserved(left, {}), 0) << "the panel went away";

    // No dock sets a strut: the work areas, per monitor where the window
    // manager sets them, and only then.
    EXPECT_EQ(reserved(left, {}, { QRect(0, 27, 1920, 1053), QRect(1920, 0, 1280, 800) }), 27);
    EXPECT_EQ(reserved(right, {}, { QRect(0, 27, 1920, 1053), QRect(1920, 0, 1280, 800) }), 0);
    EXPECT_EQ(reserved(right, { { 30, 0, 1919 } }, { QRect(1920, 27, 1280, 773) }), 0);
    EXPECT_EQ(X11TopPanels::rects({ 0, 27, 1920, 1053, 1920, 0, 0, 0, 5 }), QList<QRect> { QRect(0, 27, 1920, 1053) });
}
