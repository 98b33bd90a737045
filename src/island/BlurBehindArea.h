#pragma once

#include <QPointer>
#include <QQuickItem>
#include <QRegion>
#include <QtQml/qqmlregistration.h>

#include "IslandShape.h"

/// While active, asks the desktop to blur behind this item's area of the
/// window, cut to `shape` (see WindowBlur). Place it as a sibling that
/// covers the translucent island; it draws nothing itself.
class BlurBehindArea : public QQuickItem {
    Q_OBJECT
    QML_ELEMENT

    /// The outline to blur behind; the item's rectangle without one.
    Q_PROPERTY(IslandShape* shape READ shape WRITE setShape NOTIFY shapeChanged FINAL)
    /// Blur only while the translucent background shows.
    Q_PROPERTY(bool active READ isActive WRITE setActive NOTIFY activeChanged FINAL)

public:
    explicit BlurBehindArea(QQuickItem* parent = nullptr);
    ~BlurBehindArea() override;
    Q_DISABLE_COPY_MOVE(BlurBehindArea)

    IslandShape* shape() const { return m_shape; }
    void setShape(IslandShape* shape);
    bool isActive() const { return m_active; }
    void setActive(bool active);

    /// The area to blur, in window coordinates: the shape, or the item's
    /// rectangle without one; empty while inactive.
    QRegion region() const;

Q_SIGNALS:
    void shapeChanged();
    void activeChanged();

protected:
    void geometryChange(const QRectF& newGeometry, const QRectF& oldGeometry) override;
    void itemChange(ItemChange change, const ItemChangeData& data) override;

private:
    void apply();

    QPointer<IslandShape> m_shape;
    QMetaObject::Connection m_shapeConnection;
    QMetaObject::Connection m_windowConnection;
    QPointer<QQuickWindow> m_window;
    bool m_active = false;
    QRegion m_applied;
};
