#pragma once

#include "IslandShape.h"

#include <QObject>
#include <QPointer>
#include <QQuickItem>
#include <QRectF>
#include <QRegion>
#include <QtQml/qqmlregistration.h>

/// The island's outline as the root view draws it, springs included, so
/// that the panel can shape its window to it frame by frame. The root view
/// holds one; the window controller finds it by type.
class IslandOutlineReporter : public QObject {
    Q_OBJECT
    QML_ELEMENT

    /// The item `rect` is in (the root view).
    Q_PROPERTY(QQuickItem* item MEMBER m_item NOTIFY outlineChanged FINAL)
    /// The island's outline.
    Q_PROPERTY(IslandShape* shape READ shape WRITE setShape NOTIFY outlineChanged FINAL)
    /// Where the island is drawn now, in `item`.
    Q_PROPERTY(QRectF rect MEMBER m_rect NOTIFY outlineChanged FINAL)
    /// False before the first placement: then there is no outline.
    Q_PROPERTY(bool active MEMBER m_active NOTIFY outlineChanged FINAL)

public:
    using QObject::QObject;

    IslandShape* shape() const { return m_shape; }
    void setShape(IslandShape* shape);

    /// The drawn outline in window coordinates; empty while inactive.
    QRegion outline() const;

Q_SIGNALS:
    void outlineChanged();

private:
    QPointer<QQuickItem> m_item;
    QPointer<IslandShape> m_shape;
    QMetaObject::Connection m_shapeConnection;
    QRectF m_rect;
    bool m_active = false;
};
