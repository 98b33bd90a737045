#include "NotchShape.h"

#include <algorithm>

NotchShape::Radii NotchShape::clampedRadii(const QSizeF& size) const
{
    const qreal w = size.width();
    const qreal h = size.height();
    // std::clamp would assert on an empty rectangle, where the upper bound
    // falls below zero; min-then-max keeps zero the last word.
    const qreal top = std::max<qreal>(0, std::min({ topCornerRadius, w * 0.25, h * 0.5 }));
    const qreal bottom = std::max<qreal>(0, std::min({ bottomCornerRadius, (w - 2 * top) * 0.5, h - top }));
    return { top, bottom };
}

QPainterPath NotchShape::path(const QRectF& rect) const
{
    const auto [top, bottom] = clampedRadii(rect.size());
    const qreal minX = rect.left(), minY = rect.top(), maxX = rect.right(), maxY = rect.bottom();

    QPainterPath p;
    p.moveTo(minX, minY);
    p.quadTo(minX + top, minY, minX + top, minY + top);
    p.lineTo(minX + top, maxY - bottom);
    p.quadTo(minX + top, maxY, minX + top + bottom, maxY);
    p.lineTo(maxX - top - bottom, maxY);
    p.quadTo(maxX - top, maxY, maxX - top, maxY - bottom);
    p.lineTo(maxX - top, minY + top);
    p.quadTo(maxX - top, minY, maxX, minY);
    p.closeSubpath();
    return p;
}
