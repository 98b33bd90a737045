#include "NowPlayingProgress.h"

#include "NowPlayingPresentation.h"
#include "NowPlayingService.h"

#include <algorithm>

NowPlayingProgress::NowPlayingProgress(QObject* parent)
    : NowPlayingProgress(Scheduler::system(), Clock::system(), parent)
{
}

NowPlayingProgress::NowPlayingProgress(Scheduler& scheduler, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_timeline(scheduler)
{
}

void NowPlayingProgress::setService(NowPlayingService* service)
{
    if (m_service == service)
        return;
    disconnect(m_trackConnection);
    m_service = service;
    if (service)
        m_trackConnection = connect(service, &NowPlayingService::trackChanged, this, &NowPlayingProgress::refresh);
    Q_EMIT serviceChanged();
    refresh();
}

std::optional<NowPlayingTrack> NowPlayingProgress::track() const
{
    return m_service ? m_service->track() : std::nullopt;
}

std::optional<double> NowPlayingProgress::duration() const
{
    const auto t = track();
    return t ? t->duration : std::nullopt;
}

double NowPlayingProgress::position() const
{
    if (m_dragFraction)
        return *m_dragFraction * duration().value_or(0);
    const auto t = track();
    return t ? t->elapsed(m_clock.now()).value_or(0) : 0;
}

double NowPlayingProgress::fraction() const
{
    const auto d = duration();
    if (!d || *d <= 0)
        return 0;
    return std::clamp(position() / *d, 0.0, 1.0);
}

bool NowPlayingProgress::canSeek() const
{
    return duration().has_value();
}

QString NowPlayingProgress::elapsedLabel() const
{
    return canSeek() ? NowPlayingPresentation::format(position()) : QStringLiteral("--:--");
}

QString NowPlayingProgress::remainingLabel() const
{
    const auto d = duration();
    if (!d)
        return QStringLiteral("--:--");
    return QStringLiteral("-") + NowPlayingPresentation::format(std::max(*d - position(), 0.0));
}

void NowPlayingProgress::drag(double fraction)
{
    if (!canSeek())
        return;
    m_dragFraction = std::clamp(fraction, 0.0, 1.0);
    refresh();
}

void NowPlayingProgress::endDrag()
{
    const auto d = duration();
    const double seekFraction = m_dragFraction.value_or(fraction());
    const bool dragged = m_dragFraction.has_value();
    m_dragFraction.reset();
    if (d && dragged && m_service)
        m_service->seek(seekFraction * *d);
    refresh();
}

void NowPlayingProgress::cancelDrag()
{
    m_dragFraction.reset();
    refresh();
}

void NowPlayingProgress::setActive(bool active)
{
    if (m_active == active)
        return;
    m_active = active;
    Q_EMIT activeChanged();
    refresh();
}

void NowPlayingProgress::refresh()
{
    const auto t = track();
    const bool run = m_active && t && t->isPlaying && t->playbackRate != 0 && !m_dragFraction;
    if (run != m_timeline.isPending()) {
        if (run) {
            QPointer<NowPlayingProgress> self(this);
            m_timeline.startRepeating(timelineInterval, [self] {
                if (self)
                    Q_EMIT self->positionChanged();
            });
        } else {
            m_timeline.cancel();
        }
        Q_EMIT timelineRunningChanged();
    }
    Q_EMIT positionChanged();
}
