#include "GlowSliderLogic.h"
#include "NotchShape.h"

#include <QPainterPath>
#include <QVariant>

#include <gtest/gtest.h>

#include <limits>

TEST(NotchShapeTest, RadiiAreLimitedToWhatFitsAndThePathFlaresIntoTheTopEdge)
{
    // Each limit on both sides: the top radius by a quarter of the width and
    // half the height, the bottom one by the body's half width and what the
    // top leaves of the height.
    const struct {
        NotchShape shape;
        QSizeF size;
        double top, bottom;
    } cases[] = { { { 8, 14 }, { 200, 32 }, 8, 14 }, { { 8, 14 }, { 44, 32 }, 8, 14 }, { { 8, 14 }, { 43, 32 }, 8, 13.5 },
        { { 8, 14 }, { 32, 32 }, 8, 8 }, { { 8, 14 }, { 31, 32 }, 7.75, 7.75 }, { { 8, 14 }, { 200, 22 }, 8, 14 },
        { { 8, 14 }, { 200, 21 }, 8, 13 }, { { 8, 14 }, { 200, 16 }, 8, 8 }, { { 8, 14 }, { 200, 15 }, 7.5, 7.5 },
        { { 30, 30 }, { 200, 10 }, 5, 5 }, { { 8, 14 }, { 0, 0 }, 0, 0 } };
    for (const auto& c : cases) {
        const auto radii = c.shape.clampedRadii(c.size);
        EXPECT_EQ(std::pair(radii.top, radii.bottom), std::pair(c.top, c.bottom)) << c.size.width() << "x" << c.size.height();
    }

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
