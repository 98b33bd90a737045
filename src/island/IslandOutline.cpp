#include "IslandOutline.h"

#include <QPainterPath>
#include <QPolygon>

#include <algorithm>

namespace {

// A rectangle whose top corners flare out into the top edge and whose bottom
// corners are rounded, with the radii limited as the drawn shape limits them.
QPainterPath notchPath(const QRectF& r, qreal topRadius, qreal bottomRadius)
{
    const qreal top = std::max(qreal(0), std::min({ topRadius, r.width() * 0.25, r.height() * 0.5 }));
    const qreal bottom = std::max(qreal(0), std::min({ bottomRadius, (r.width() - 2 * top) * 0.5, r.height() - top }));
    QPainterPath path(r.topLeft());
    path.quadTo(QPointF(r.left() + top, r.top()), QPointF(r.left() + top, r.top() + top));
    path.lineTo(r.left() + top, r.bottom() - bottom);
    path.quadTo(QPointF(r.left() + top, r.bottom()), QPointF(r.left() + top + bottom, r.bottom()));
    path.lineTo(r.right() - top - bottom, r.bottom());
    path.quadTo(QPointF(r.right() - top, r.bottom()), QPointF(r.right() - top, r.bottom() - bottom));
    path.lineTo(r.right() - top, r.top() + top);
    path.quadTo(QPointF(r.right() - top, r.top()), r.topRight());
    path.closeSubpath();
    return path;
}

} // namespace

QRegion IslandOutline::region(const IslandLayout& layout, IslandState state, const QSize& panelSize)
{
    const QRectF rect = layout.islandRect(state, panelSize);
    if (rect.isEmpty())
        return {};
    const bool open = state == IslandState::expanded;
    QPainterPath path;
    if (layout.style == IslandLayout::Style::notch) {
        path = open ? notchPath(rect, 14, 26) : notchPath(rect, 6, 10);
    } else {
        const qreal radius = open ? 24 : rect.height() / 2;
        path.addRoundedRect(rect, radius, radius);
    }
    return QRegion(path.toFillPolygon().toPolygon(), Qt::WindingFill);
}
