#include "IslandBackgroundPainter.h"

#include "IslandShape.h"

#include <QLinearGradient>
#include <QPainter>

#include <algorithm>
#include <cmath>

namespace {
qreal clamp01(qreal v)
{
    return std::isnan(v) ? 0 : std::clamp<qreal>(v, 0, 1);
}

QColor black(qreal opacity)
{
    return QColor::fromRgbF(0, 0, 0, float(clamp01(opacity)));
}

QColor white(qreal opacity)
{
    return QColor::fromRgbF(1, 1, 1, float(clamp01(opacity)));
}

QLinearGradient vertical(const QRectF& rect, const QGradientStops& stops)
{
    QLinearGradient gradient(rect.topLeft(), rect.bottomLeft());
    gradient.setStops(stops);
    return gradient;
}
} // namespace

IslandBackgroundPainter::IslandBackgroundPainter(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
}

QGradientStops IslandBackgroundPainter::darknessStops(qreal glow)
{
    const qreal g = clamp01(glow);
    return { { 0.0, black(1) }, { 0.22, black(0.95 - 0.15 * g) }, { 0.7, black(0.7 - 0.6 * g) },
        { 1.0, black(0.55 - 0.55 * g) } };
}

QGradientStops IslandBackgroundPainter::glowStops(qreal glow)
{
    const qreal g = clamp01(glow);
    return { { 0.4 - 0.15 * g, white(0) }, { 0.75, white(0.15 * g) }, { 1.0, white(0.5 * g) } };
}

QGradientStops IslandBackgroundPainter::rimStops(qreal glow)
{
    const qreal g = clamp01(glow);
    return { { 0.35, white(0) }, { 0.8, white(0.4 * g) }, { 1.0, white(g) } };
}

QColor IslandBackgroundPainter::materialColor()
{
    return QColor(22, 22, 24, 158);
}

void IslandBackgroundPainter::setShape(IslandShape* shape)
{
    if (shape == m_shape)
        return;
    disconnect(m_shapeConnection);
    m_shape = shape;
    if (shape)
        m_shapeConnection = connect(shape, &IslandShape::shapeChanged, this, [this] { update(); });
    update();
    Q_EMIT shapeChanged();
}

void IslandBackgroundPainter::setStyle(IslandBackgroundStyle style)
{
    if (style == m_style)
        return;
    m_style = style;
    update();
    Q_EMIT styleChanged();
}

void IslandBackgroundPainter::setGlow(qreal glow)
{
    if (glow == m_glow)
        return;
    m_glow = glow;
    update();
    Q_EMIT glowChanged();
}

void IslandBackgroundPainter::setExpansion(qreal expansion)
{
    if (expansion == m_expansion)
        return;
    m_expansion = expansion;
    update();
    Q_EMIT expansionChanged();
}

void IslandBackgroundPainter::paint(QPainter* painter)
{
    if (!m_shape || width() <= 0 || height() <= 0)
        return;
    const QRectF rect = boundingRect();
    const QPainterPath path = m_shape->path(rect);
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setPen(Qt::NoPen);

    // The closed island is always black; the glass fades in with the opening.
    const qreal glass = m_style == IslandBackgroundStyle::glass ? clamp01(m_expansion) : 0;
    if (glass < 1) {
        painter->setOpacity(1 - glass);
        painter->fillPath(path, Qt::black);
    }
    if (glass <= 0)
        return;

    painter->setOpacity(glass);
    painter->fillPath(path, materialColor());
    painter->fillPath(path, vertical(rect, darknessStops(m_glow)));
    painter->fillPath(path, vertical(rect, glowStops(m_glow)));
    // The rim is stroked on the outline and cut by the shape, so its inner
    // half shows, as when the whole island is clipped to its shape.
    painter->setClipPath(path);
    QPen rim(QBrush(vertical(rect, rimStops(m_glow))), 2);
    rim.setJoinStyle(Qt::RoundJoin);
    painter->strokePath(path, rim);
}
