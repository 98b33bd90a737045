#include "GlowSliderLogic.h"
#include "NotchShape.h"

#include <QPainterPath>
#include <QVariant>

#include <gtest/gtest.h>

#include <limits>

TEST(NotchShapeTest, RadiiAreLimitedToWhatFitsAndThePathFlaresIntoTheTopEdge)
{
    const NotchShape shape(8, 14);
    const auto wide = shape.clampedRadii({ 200, 32 });
    EXPECT_DOUBLE_EQ(wide.top, 8);
    EXPECT_DOUBLE_EQ(wide.bottom, 14);
    const auto narrow = shape.clampedRadii({ 20, 32 });
    EXPECT_DOUBLE_EQ(narrow.top, 5);
    EXPECT_DOUBLE_EQ(narrow.bottom, 5);
    const auto flat = NotchShape(30, 30).clampedRadii({ 200, 10 });
    EXPECT_DOUBLE_EQ(flat.top, 5);
    EXPECT_DOUBLE_EQ(flat.bottom, 5);
    const auto empty = shape.clampedRadii({ 0, 0 });
    EXPECT_DOUBLE_EQ(empty.top, 0);
    EXPECT_DOUBLE_EQ(empty.bottom, 0);

    // The path flares into the top edge; negative radii give a square body.
    const QRectF rect(10, 0, 200, 32);
    const QPainterPath notch = NotchShape(8, 14).path(rect);
    EXPECT_EQ(notch.boundingRect(), rect);
    // The flare reaches the full width only at the top edge; the body is 16 narrower.
    EXPECT_TRUE(notch.contains(QPointF(rect.left() + 8.5, 16)));
    EXPECT_FALSE(notch.contains(QPointF(rect.left() + 2, 16)));
    EXPECT_FALSE(notch.contains(QPointF(rect.left() + 9, 31.5))); // rounded bottom corner

    const QPainterPath square = NotchShape(-4, -9).path(rect);
    EXPECT_TRUE(square.contains(QPointF(rect.left() + 0.5, 31.5)));
    EXPECT_TRUE(square.contains(QPointF(rect.right() - 0.5, 0.5)));
}

TEST(GlowSliderLogicTest, NoListenerNoDragAndADisabledSliderDoesNotGlow)
{
    EXPECT_DOUBLE_EQ(GlowSliderLogic::clampedFraction(std::numeric_limits<double>::quiet_NaN()), 0);
    // Drags within, past and before the track, and while disabled: GlowSliderTest.
    EXPECT_DOUBLE_EQ(GlowSliderLogic::dragFraction(50, 0), 0); // a track of no width

    GlowSliderLogic slider;
    EXPECT_FALSE(slider.acceptsDrag()); // no listener
    slider.setProperty("isEnabled", false);
    EXPECT_DOUBLE_EQ(slider.outerGlowOpacity(), 0); // a disabled slider does not glow
}
