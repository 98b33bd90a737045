#include "BlurBehindArea.h"

#include "IslandShape.h"
#include "WindowBlur.h"

#include <QQuickWindow>

BlurBehindArea::BlurBehindArea(QQuickItem* parent)
    : QQuickItem(parent)
{
}

BlurBehindArea::~BlurBehindArea()
{
    if (m_window && !m_applied.isEmpty())
        WindowBlur::current().clear(m_window);
}

void BlurBehindArea::setShape(IslandShape* shape)
{
    if (shape == m_shape)
        return;
    disconnect(m_shapeConnection);
    m_shape = shape;
    if (shape)
        m_shapeConnection = connect(shape, &IslandShape::shapeChanged, this, &BlurBehindArea::apply);
    apply();
    Q_EMIT shapeChanged();
}

void BlurBehindArea::setActive(bool active)
{
    if (active == m_active)
        return;
    m_active = active;
    apply();
    Q_EMIT activeChanged();
}

QRegion BlurBehindArea::region() const
{
    if (!m_active || width() <= 0 || height() <= 0)
        return {};
    const QRectF local = boundingRect();
    if (!m_shape)
        return QRegion(mapRectToScene(local).toAlignedRect());
    const QPolygonF outline = itemTransform(nullptr, nullptr).map(m_shape->path(local).toFillPolygon());
    return QRegion(outline.toPolygon(), Qt::WindingFill);
}

void BlurBehindArea::geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry)
{
    QQuickItem::geometryChange(newGeometry, oldGeometry);
    apply();
}

void BlurBehindArea::itemChange(ItemChange change, const ItemChangeData& data)
{
    QQuickItem::itemChange(change, data);
    if (change != ItemSceneChange)
        return;
    if (m_window && !m_applied.isEmpty())
        WindowBlur::current().clear(m_window);
    m_applied = QRegion();
    disconnect(m_windowConnection);
    m_window = data.window;
    // The property needs the native window, which exists once it is shown.
    if (m_window)
        m_windowConnection = connect(m_window, &QWindow::visibleChanged, this, [this] {
            m_applied = QRegion();
            apply();
        });
    apply();
}

void BlurBehindArea::apply()
{
    if (!m_window || !m_window->handle())
        return;
    const QRegion wanted = region();
    if (wanted == m_applied)
        return;
    m_applied = wanted;
    if (wanted.isEmpty())
        WindowBlur::current().clear(m_window);
    else
        WindowBlur::current().setRegion(m_window, wanted);
}
