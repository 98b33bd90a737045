#pragma once

#include <QObject>
#include <QPainterPath>
#include <QRectF>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// The outline the island (or a glowing bar) is drawn in, shared by the
/// items that fill, shadow and blur it: a notch shape (flared top corners,
/// rounded bottom) or a rounded rectangle.
class IslandShape : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(Kind kind READ kind WRITE setKind NOTIFY shapeChanged FINAL)
    /// Notch outline: radius of the flares into the top edge.
    Q_PROPERTY(qreal topCornerRadius READ topCornerRadius WRITE setTopCornerRadius NOTIFY shapeChanged FINAL)
    /// Notch outline: radius of the bottom corners.
    Q_PROPERTY(qreal bottomCornerRadius READ bottomCornerRadius WRITE setBottomCornerRadius NOTIFY shapeChanged FINAL)
    /// Rounded rectangle: corner radius, limited to half the shorter side.
    Q_PROPERTY(qreal cornerRadius READ cornerRadius WRITE setCornerRadius NOTIFY shapeChanged FINAL)

public:
    /// The notch outline, or a rounded rectangle (a capsule at full radius).
    enum class Kind { notch, roundedRectangle };
    Q_ENUM(Kind)

    explicit IslandShape(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandShape)

    Kind kind() const { return m_kind; }
    void setKind(Kind kind);
    qreal topCornerRadius() const { return m_top; }
    void setTopCornerRadius(qreal radius);
    qreal bottomCornerRadius() const { return m_bottom; }
    void setBottomCornerRadius(qreal radius);
    qreal cornerRadius() const { return m_corner; }
    void setCornerRadius(qreal radius);

    /// The outline in `rect`.
    QPainterPath path(const QRectF& rect) const;

Q_SIGNALS:
    void shapeChanged();

private:
    Kind m_kind = Kind::notch;
    qreal m_top = 0;
    qreal m_bottom = 0;
    qreal m_corner = 0;
};
