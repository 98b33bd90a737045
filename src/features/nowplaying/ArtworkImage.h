#pragma once

#include <QImage>
#include <QQuickPaintedItem>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

/// A picture scaled to fill the item, cropped to its middle and clipped to
/// a rounded rectangle with smooth edges: the artwork of the Now Playing tab
/// and the status band's thumbnail. Repaints only when the picture, the
/// size or the radius change.
// Not final: QML derives from the types it creates.
class ArtworkImage : public QQuickPaintedItem {
    Q_OBJECT
    QML_ELEMENT
    /// The picture: a QImage (as the service publishes it); anything else,
    /// or a null image, draws nothing.
    Q_PROPERTY(QVariant image READ image WRITE setImage NOTIFY imageChanged FINAL)
    /// Corner radius, limited to half the shorter side.
    Q_PROPERTY(qreal cornerRadius READ cornerRadius WRITE setCornerRadius NOTIFY cornerRadiusChanged FINAL)
    /// True when there is a picture to draw.
    Q_PROPERTY(bool hasImage READ hasImage NOTIFY imageChanged FINAL)
public:
    explicit ArtworkImage(QQuickItem* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ArtworkImage)

    QVariant image() const { return m_image; }
    void setImage(const QVariant& image);
    qreal cornerRadius() const { return m_cornerRadius; }
    void setCornerRadius(qreal radius);
    bool hasImage() const { return !m_picture.isNull(); }

    /// `picture` scaled to cover `size` (keeping its aspect ratio) and cropped to the middle.
    static QImage filling(const QImage& picture, const QSize& size);

    void paint(QPainter* painter) override;

Q_SIGNALS:
    void imageChanged();
    void cornerRadiusChanged();

private:
    QVariant m_image;
    QImage m_picture;
    qreal m_cornerRadius = 0;
    QImage m_scaled; // m_picture at the device size last painted; empty when stale
};
