#include "IslandOutlineReporter.h"

#include <QPainterPath>

void IslandOutlineReporter::setShape(IslandShape* shape)
{
    if (shape == m_shape)
        return;
    disconnect(m_shapeConnection);
    m_shape = shape;
    if (shape)
        m_shapeConnection = connect(shape, &IslandShape::shapeChanged, this, &IslandOutlineReporter::outlineChanged);
    Q_EMIT outlineChanged();
}

QRegion IslandOutlineReporter::outline() const
{
    if (!m_item || !m_shape || !m_active || m_rect.isEmpty())
        return {};
    const QRectF inWindow = m_rect.translated(m_item->mapToScene(QPointF(0, 0)));
    return QRegion(m_shape->path(inWindow).toFillPolygon().toPolygon(), Qt::WindingFill);
}
