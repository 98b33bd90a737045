#include "NowPlayingImageProvider.h"

#include "NowPlayingService.h"

#include <QMutexLocker>

namespace {
// Large enough for the 18 pt source button at any common scale factor.
constexpr int iconPixels = 64;
} // namespace

NowPlayingImageProvider::NowPlayingImageProvider(NowPlayingService* service)
    : QQuickImageProvider(QQuickImageProvider::Image)
    , m_service(service)
{
    snapshot();
    if (service) {
        m_connections << QObject::connect(service, &NowPlayingService::artworkChanged, service, [this] { snapshot(); })
                      << QObject::connect(service, &NowPlayingService::sourceIconChanged, service, [this] { snapshot(); });
    }
}

NowPlayingImageProvider::~NowPlayingImageProvider()
{
    // The engine may delete the provider before the service goes.
    for (const auto& connection : std::as_const(m_connections))
        QObject::disconnect(connection);
}

void NowPlayingImageProvider::snapshot()
{
    QImage artwork;
    QImage icon;
    if (m_service) {
        artwork = m_service->artworkImage();
        if (m_service->sourceIcon())
            icon = m_service->sourceIcon()->pixmap(iconPixels, iconPixels).toImage();
    }
    QMutexLocker lock(&m_mutex);
    m_artwork = artwork;
    m_sourceIcon = icon;
}

QImage NowPlayingImageProvider::requestImage(const QString& id, QSize* size, const QSize& requestedSize)
{
    QImage image;
    {
        QMutexLocker lock(&m_mutex);
        image = id.startsWith(QLatin1String("artwork/"))  ? m_artwork
            : id.startsWith(QLatin1String("sourceIcon/")) ? m_sourceIcon
                                                          : QImage();
    }
    if (!image.isNull() && requestedSize.isValid() && requestedSize.width() > 0 && requestedSize.height() > 0)
        image = image.scaled(requestedSize, Qt::KeepAspectRatioByExpanding, Qt::SmoothTransformation);
    if (size)
        *size = image.size();
    return image;
}
