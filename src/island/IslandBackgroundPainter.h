#pragma once

#include <QGradientStops>
#include <QPointer>
#include <QQuickPaintedItem>
#include <QtQml/qqmlregistration.h>

#include "IslandBackgroundStyle.h"
#include "IslandShape.h"

/// Fills its bounds, in the given shape, with the island's background:
/// opaque black, or for the open island in the glass style a dark
/// translucent fill with a darkening gradient, a white glow rising from the
/// bottom and a bright lower rim, all scaled by the glow.
class IslandBackgroundPainter : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT

    /// The outline to fill.
    Q_PROPERTY(IslandShape* shape READ shape WRITE setShape NOTIFY shapeChanged FINAL)
    /// Black, or glass (drawn only as far as `expansion`).
    Q_PROPERTY(IslandBackgroundStyles::IslandBackgroundStyle style READ style WRITE setStyle NOTIFY styleChanged FINAL)
    /// Glow strength; drawn limited to 0…1.
    Q_PROPERTY(qreal glow READ glow WRITE setGlow NOTIFY glowChanged FINAL)
    /// How far the glass has replaced the black: 0 closed, 1 open.
    Q_PROPERTY(qreal expansion READ expansion WRITE setExpansion NOTIFY expansionChanged FINAL)

public:
    explicit IslandBackgroundPainter(QQuickItem* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandBackgroundPainter)

    /// Top-to-bottom darkening: black 1, 0.95 − 0.15g, 0.7 − 0.6g, 0.55 − 0.55g.
    static QGradientStops darknessStops(qreal glow);
    /// White rising from transparent at 0.4 − 0.15g to 0.5g at the bottom.
    static QGradientStops glowStops(qreal glow);
    /// The 2-pt rim: transparent down to 0.35, 0.4g at 0.8, g at the bottom.
    static QGradientStops rimStops(qreal glow);
    /// The dark translucent stand-in for the platform's glass material;
    /// the desktop's blur-behind, where offered, supplies the frosting.
    static QColor materialColor();

    IslandShape* shape() const { return m_shape; }
    void setShape(IslandShape* shape);
    IslandBackgroundStyle style() const { return m_style; }
    void setStyle(IslandBackgroundStyle style);
    qreal glow() const { return m_glow; }
    void setGlow(qreal glow);
    qreal expansion() const { return m_expansion; }
    void setExpansion(qreal expansion);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void shapeChanged();
    void styleChanged();
    void glowChanged();
    void expansionChanged();

private:
    QPointer<IslandShape> m_shape;
    QMetaObject::Connection m_shapeConnection;
    IslandBackgroundStyle m_style = IslandBackgroundStyle::black;
    qreal m_glow = 0;
    qreal m_expansion = 0;
};
