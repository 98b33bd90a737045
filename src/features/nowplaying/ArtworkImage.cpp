#include "ArtworkImage.h"

#include <QPainter>
#include <QPainterPath>
#include <QQuickWindow>

#include <algorithm>
#include <cmath>

ArtworkImage::ArtworkImage(QQuickItem* parent)
    : QQuickPaintedItem(parent)
{
    setAntialiasing(true);
    setAcceptedMouseButtons(Qt::NoButton);
    const auto resized = [this] {
        m_scaled = QImage();
        update();
    };
    connect(this, &QQuickItem::widthChanged, this, resized);
    connect(this, &QQuickItem::heightChanged, this, resized);
}

void ArtworkImage::setImage(const QVariant& image)
{
    QImage picture = image.metaType() == QMetaType::fromType<QImage>() ? image.value<QImage>() : QImage();
    // The same shared image handed out again draws nothing new (a null image's key is 0).
    if (picture.cacheKey() == m_picture.cacheKey())
        return;
    m_image = image;
    m_picture = picture;
    m_scaled = QImage();
    update();
    Q_EMIT imageChanged();
}

void ArtworkImage::setCornerRadius(qreal radius)
{
    if (radius == m_cornerRadius)
        return;
    m_cornerRadius = radius;
    update();
    Q_EMIT cornerRadiusChanged();
}

QImage ArtworkImage::filling(const QImage& picture, const QSize& size)
{
    if (picture.isNull() || size.isEmpty())
        return {};
    const QImage scaled = picture.scaled(size, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    return scaled.copy((scaled.width() - size.width()) / 2, (scaled.height() - size.height()) / 2, size.width(), size.height());
}

void ArtworkImage::paint(QPainter* painter)
{
    if (m_picture.isNull() || width() <= 0 || height() <= 0)
        return;
    const qreal scale = window() ? window()->effectiveDevicePixelRatio() : 1.0;
    const QSize device(int(std::ceil(width() * scale)), int(std::ceil(height() * scale)));
    if (m_scaled.size() != device)
        m_scaled = filling(m_picture, device);
    const QRectF rect(0, 0, width(), height());
    const qreal r = std::clamp<qreal>(m_cornerRadius, 0, std::min(width(), height()) / 2);
    QPainterPath path;
    path.addRoundedRect(rect, r, r);
    // A textured fill keeps the rounded edge antialiased, which a clip would not.
    QBrush brush(m_scaled);
    brush.setTransform(QTransform::fromScale(1 / scale, 1 / scale));
    painter->setRenderHint(QPainter::Antialiasing);
    painter->setRenderHint(QPainter::SmoothPixmapTransform);
    painter->fillPath(path, brush);
}
