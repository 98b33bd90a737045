#pragma once

#include <QPainterPath>
#include <QRectF>

/// The island's outline: a body whose top corners flare outwards into the
/// screen's top edge and whose bottom corners are rounded, so the closed
/// island reads as an extension of the camera notch.
class NotchShape final {
public:
    /// The radii after limiting them to what fits a rectangle.
    struct Radii {
        qreal top = 0;
        qreal bottom = 0;
    };

    constexpr NotchShape(qreal topCornerRadius, qreal bottomCornerRadius)
        : topCornerRadius(topCornerRadius)
        , bottomCornerRadius(bottomCornerRadius)
    {
    }

    /// Top flare at most a quarter of the width and half the height; bottom
    /// at most half of the body width and what is left of the height; never
    /// negative (negative radii give square corners).
    Radii clampedRadii(const QSizeF& size) const;
    /// The outline in `rect` (y grows downwards; the flares touch the top edge).
    QPainterPath path(const QRectF& rect) const;

    qreal topCornerRadius;
    qreal bottomCornerRadius;
};
