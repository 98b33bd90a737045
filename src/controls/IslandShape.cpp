#include "IslandShape.h"

#include "NotchShape.h"

#include <algorithm>

IslandShape::IslandShape(QObject* parent)
    : QObject(parent)
{
}

void IslandShape::setKind(Kind kind)
{
    if (kind == m_kind)
        return;
    m_kind = kind;
    Q_EMIT shapeChanged();
}

void IslandShape::setTopCornerRadius(qreal radius)
{
    if (radius == m_top)
        return;
    m_top = radius;
    Q_EMIT shapeChanged();
}

void IslandShape::setBottomCornerRadius(qreal radius)
{
    if (radius == m_bottom)
        return;
    m_bottom = radius;
    Q_EMIT shapeChanged();
}

void IslandShape::setCornerRadius(qreal radius)
{
    if (radius == m_corner)
        return;
    m_corner = radius;
    Q_EMIT shapeChanged();
}

QPainterPath IslandShape::path(const QRectF& rect) const
{
    if (m_kind == Kind::notch)
        return NotchShape(m_top, m_bottom).path(rect);
    const qreal r = std::max<qreal>(0, std::min({ m_corner, rect.width() / 2, rect.height() / 2 }));
    QPainterPath p;
    p.addRoundedRect(rect, r, r);
    return p;
}
