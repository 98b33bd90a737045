#pragma once

#include <QColor>
#include <QImage>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QRectF>
#include <QtQml/qqmlregistration.h>

#include "IslandShape.h"

/// A soft shadow or glow of a shape: the shape at `shapeRect`, moved by
/// `offset`, blurred (a Gaussian of standard deviation `radius`) and drawn
/// in `color` at `strength`. Draws nothing at strength 0, so a closed
/// island costs nothing. Used for the island's shadows and the slider's glow.
class ShapeShadow : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT

    /// The outline that casts the shadow.
    Q_PROPERTY(IslandShape* shape READ shape WRITE setShape NOTIFY shapeChanged FINAL)
    /// Where the shape lies, in this item's coordinates.
    Q_PROPERTY(QRectF shapeRect READ shapeRect WRITE setShapeRect NOTIFY shapeRectChanged FINAL)
    /// Colour of the shadow (white for a glow).
    Q_PROPERTY(QColor color READ color WRITE setColor NOTIFY colorChanged FINAL)
    /// Blur radius: the Gaussian's standard deviation.
    Q_PROPERTY(qreal radius READ radius WRITE setRadius NOTIFY radiusChanged FINAL)
    /// How far the shadow is moved from the shape.
    Q_PROPERTY(QPointF offset READ offset WRITE setOffset NOTIFY offsetChanged FINAL)
    /// Opacity of the shadow, 0…1.
    Q_PROPERTY(qreal strength READ strength WRITE setStrength NOTIFY strengthChanged FINAL)

public:
    explicit ShapeShadow(QQuickItem* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ShapeShadow)

    /// Three box blurs approximating a Gaussian of deviation `sigma`, on an
    /// 8-bit alpha image; pixels outside count as transparent.
    static void blurAlpha(QImage& alpha, qreal sigma);

    IslandShape* shape() const { return m_shape; }
    void setShape(IslandShape* shape);
    QRectF shapeRect() const { return m_shapeRect; }
    void setShapeRect(const QRectF& rect);
    QColor color() const { return m_color; }
    void setColor(const QColor& color);
    qreal radius() const { return m_radius; }
    void setRadius(qreal radius);
    QPointF offset() const { return m_offset; }
    void setOffset(const QPointF& offset);
    qreal strength() const { return m_strength; }
    void setStrength(qreal strength);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void shapeChanged();
    void shapeRectChanged();
    void colorChanged();
    void radiusChanged();
    void offsetChanged();
    void strengthChanged();

private:
    void invalidate();

    QPointer<IslandShape> m_shape;
    QMetaObject::Connection m_shapeConnection;
    QRectF m_shapeRect;
    QColor m_color = Qt::black;
    qreal m_radius = 8;
    QPointF m_offset;
    qreal m_strength = 0;
    QImage m_cache; // the coloured, blurred shape; empty when stale
};
