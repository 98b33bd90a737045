#include "NowPlayingPresentation.h"

#include "LinuxWording.h"

#include "NowPlayingService.h"

#include <cmath>

NowPlayingPresentation::NowPlayingPresentation(QObject* parent)
    : QObject(parent)
{
}

void NowPlayingPresentation::setService(NowPlayingService* service)
{
    if (m_service == service)
        return;
    for (const auto& connection : std::as_const(m_connections))
        disconnect(connection);
    m_connections.clear();
    m_service = service;
    if (service) {
        m_connections << connect(service, &NowPlayingService::trackChanged, this, &NowPlayingPresentation::changed)
                      << connect(service, &NowPlayingService::accentColorChanged, this, &NowPlayingPresentation::changed)
                      << connect(service, &NowPlayingService::sourceNameChanged, this, &NowPlayingPresentation::changed)
                      << connect(service, &QObject::destroyed, this, &NowPlayingPresentation::changed);
    }
    Q_EMIT serviceChanged();
    Q_EMIT changed();
}

bool NowPlayingPresentation::hasTrack() const
{
    return m_service && m_service->track();
}

QString NowPlayingPresentation::title() const
{
    return hasTrack() ? m_service->track()->title : QStringLiteral("Not Playing");
}

QString NowPlayingPresentation::subtitle() const
{
    return hasTrack() ? subtitle(*m_service->track()) : LinuxWording::nowPlayingEmptySubtitle();
}

bool NowPlayingPresentation::isPlaying() const
{
    return hasTrack() && m_service->track()->isPlaying;
}

QString NowPlayingPresentation::sourceButtonLabel() const
{
    return sourceButtonLabel(m_service ? m_service->sourceNameValue() : QString());
}

QColor NowPlayingPresentation::waveColor() const
{
    if (m_service && m_service->accentColor())
        return *m_service->accentColor();
    return Qt::white;
}

QString NowPlayingPresentation::format(double seconds)
{
    const qint64 t = std::isfinite(seconds) ? qint64(std::floor(std::max(seconds, 0.0))) : 0;
    if (t < 3600)
        return QString::asprintf("%lld:%02lld", t / 60, t % 60);
    return QString::asprintf("%lld:%02lld:%02lld", t / 3600, (t / 60) % 60, t % 60);
}

QString NowPlayingPresentation::subtitle(const NowPlayingTrack& track)
{
    QStringList parts;
    if (track.artist && !track.artist->isEmpty())
        parts << *track.artist;
    if (track.album && !track.album->isEmpty())
        parts << *track.album;
    return parts.join(QStringLiteral(" · "));
}

QString NowPlayingPresentation::sourceButtonLabel(const QString& sourceName)
{
    return sourceName.isEmpty() ? QStringLiteral("Open player") : QStringLiteral("Open ") + sourceName;
}
