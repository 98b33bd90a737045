#include "NowPlayingService.h"

#include "AppleScriptMediaClient.h"
#include "ApplicationCatalog.h"
#include "Log.h"
#include "MediaRemoteAdapterClient.h"

#include <QPointer>

#include <cmath>

using namespace std::chrono_literals;

namespace {

constexpr auto clearDelay = 1000ms;
constexpr auto inactiveDelay = 1500ms;
constexpr auto pendingDelay = 1500ms;
constexpr auto blindAdapterDelay = 3000ms;
constexpr double seekTolerance = 1.5;

double secondsBetween(const QDateTime& from, const QDateTime& to)
{
    return double(from.msecsTo(to)) / 1000.0;
}

bool isMoving(const NowPlayingTrack& track)
{
    return track.isPlaying && track.playbackRate != 0;
}

} // namespace

NowPlayingService::NowPlayingService(std::unique_ptr<MediaRemoteAdapterClient> adapter,
    std::unique_ptr<AppleScriptMediaClient> appleScript, ApplicationCatalog& applications, Scheduler& scheduler, Clock& clock,
    ArtworkDecoder::Executor artworkExecutor, QObject* parent)
    : QObject(parent)
    , m_adapter(std::move(adapter))
    , m_appleScript(std::move(appleScript))
    , m_applications(applications)
    , m_clock(clock)
    , m_decoder(std::move(artworkExecutor))
    , m_pendingTask(scheduler)
    , m_pendingSeekTask(scheduler)
    , m_clearTask(scheduler)
    , m_inactiveTask(scheduler)
    , m_blindAdapterTask(scheduler)
{
    connect(m_adapter.get(), &MediaRemoteAdapterClient::trackChanged, this, &NowPlayingService::adapterDidUpdate);
    connect(m_adapter.get(), &MediaRemoteAdapterClient::unavailable, this,
        [this] { switchToAppleScript(QStringLiteral("adapter unavailable")); });
    connect(m_appleScript.get(), &AppleScriptMediaClient::trackChanged, this, &NowPlayingService::appleScriptDidUpdate);
}

NowPlayingService::~NowPlayingService()
{
    // The clients outlive this body and may still report while they stop.
    m_adapter->disconnect(this);
    m_appleScript->disconnect(this);
}

void NowPlayingService::start()
{
    if (m_isRunning)
        return;
    m_isRunning = true;
    m_appleScript->startObserving();
    if (!m_adapter->isAvailable()) {
        switchToAppleScript(QStringLiteral("adapter not bundled"));
        return;
    }
    setSource(Source::systemNowPlaying);
    m_adapter->start();
}

void NowPlayingService::stop()
{
    if (!m_isRunning)
        return;
    m_isRunning = false;
    m_pendingTask.cancel();
    m_pendingSeekTask.cancel();
    m_clearTask.cancel();
    m_inactiveTask.cancel();
    m_blindAdapterTask.cancel();
    m_adapter->stop();
    m_appleScript->stopObserving();
    m_adapterTrack.reset();
    m_sourceTrack.reset();
    m_pendingIsPlaying.reset();
    m_pendingSeek.reset();
    setSource(Source::systemNowPlaying);
    present(std::nullopt);
    setActive(false);
    // Presenting nothing may have started the grace period; it has nothing left to do.
    m_inactiveTask.cancel();
}

void NowPlayingService::switchToAppleScript(const QString& reason)
{
    if (!m_isRunning || m_source == Source::appleScript)
        return;
    qCWarning(lcNowPlaying, "Using AppleScript Now Playing fallback: %s", qUtf8Printable(reason));
    m_blindAdapterTask.cancel();
    m_adapter->stop();
    m_adapterTrack.reset();
    setSource(Source::appleScript);
    m_appleScript->activate();
    receive(m_appleScript->currentTrack());
}

void NowPlayingService::adapterDidUpdate(const std::optional<NowPlayingTrack>& track)
{
    m_adapterTrack = track;
    if (m_source != Source::systemNowPlaying)
        return;
    if (track)
        m_blindAdapterTask.cancel();
    receive(track);
}

void NowPlayingService::appleScriptDidUpdate(const std::optional<NowPlayingTrack>& track)
{
    if (m_source == Source::appleScript) {
        receive(track);
        return;
    }
    if (track && track->isPlaying && !m_adapterTrack)
        scheduleBlindAdapterCheck();
}

void NowPlayingService::scheduleBlindAdapterCheck()
{
    if (m_blindAdapterTask.isPending())
        return;
    QPointer<NowPlayingService> self(this);
    m_blindAdapterTask.start(blindAdapterDelay, [self] {
        if (!self)
            return;
        const auto& witness = self->m_appleScript->currentTrack();
        if (self->m_source == Source::systemNowPlaying && !self->m_adapterTrack && witness && witness->isPlaying)
            self->switchToAppleScript(QStringLiteral("adapter reported nothing while a player was active"));
    });
}

void NowPlayingService::receive(const std::optional<NowPlayingTrack>& track)
{
    const QDateTime now = m_clock.now();
    m_sourceTrack = carryingPosition(m_sourceTrack, track);

    if (m_pendingIsPlaying && m_sourceTrack && m_sourceTrack->isPlaying == *m_pendingIsPlaying) {
        m_pendingIsPlaying.reset();
        m_pendingTask.cancel();
    }

    if (m_pendingSeek && m_sourceTrack) {
        if (const auto elapsed = m_sourceTrack->elapsed(now)) {
            const double expected = isMoving(*m_sourceTrack)
                ? m_pendingSeek->position + secondsBetween(m_pendingSeek->requestedAt, now)
                : m_pendingSeek->position;
            if (std::abs(*elapsed - expected) < seekTolerance) {
                m_pendingSeek.reset();
                m_pendingSeekTask.cancel();
            }
        }
    }

    if (m_sourceTrack) {
        m_clearTask.cancel();
        present(m_sourceTrack);
    } else if (!m_track) {
        m_clearTask.cancel();
        present(std::nullopt);
    } else if (!m_clearTask.isPending()) {
        // A gap between two tracks shorter than this is never drawn.
        QPointer<NowPlayingService> self(this);
        m_clearTask.start(clearDelay, [self] {
            if (self)
                self->present(self->m_sourceTrack);
        });
    }
}

std::optional<NowPlayingTrack> NowPlayingService::carryingPosition(
    const std::optional<NowPlayingTrack>& old, const std::optional<NowPlayingTrack>& next) const
{
    if (!next || !old)
        return next;
    if (next->title != old->title || next->artist != old->artist)
        return next;
    if (isMoving(*next) == isMoving(*old))
        return next;
    // A play/pause transition reported without fresh timing.
    if (next->elapsedTime != old->elapsedTime || next->elapsedTimestamp != old->elapsedTimestamp)
        return next;
    const NowPlayingTrack& base = m_track ? *m_track : *old;
    if (!base.elapsedTime)
        return next;
    const QDateTime now = m_clock.now();
    NowPlayingTrack carried = *next;
    carried.elapsedTime = base.elapsed(now);
    carried.elapsedTimestamp = now;
    return carried;
}

void NowPlayingService::present(std::optional<NowPlayingTrack> track)
{
    const QDateTime now = m_clock.now();
    if (m_pendingIsPlaying && track && track->isPlaying != *m_pendingIsPlaying) {
        track->elapsedTime = track->elapsed(now);
        track->elapsedTimestamp = now;
        track->isPlaying = *m_pendingIsPlaying;
    }
    if (m_pendingSeek && track) {
        track->elapsedTime = isMoving(*track) ? m_pendingSeek->position + secondsBetween(m_pendingSeek->requestedAt, now)
                                              : m_pendingSeek->position;
        track->elapsedTimestamp = now;
    }
    if (track != m_track) {
        m_track = track;
        Q_EMIT trackChanged();
    }
    updateArtwork(m_track ? m_track->artworkData : std::nullopt);
    updateSource(m_track);
    updateActivity();
}

void NowPlayingService::updateArtwork(const std::optional<QByteArray>& bytes)
{
    if (bytes == m_artworkData)
        return;
    m_artworkData = bytes;
    const quint64 generation = ++m_artworkGeneration;
    if (!bytes) {
        applyArtwork({});
        return;
    }
    // Until the new cover is decoded the placeholder shows, never the last
    // track's cover and colour beside the new title.
    if (m_artwork) {
        m_artwork.reset();
        Q_EMIT artworkChanged();
    }
    if (m_accentColor) {
        m_accentColor.reset();
        Q_EMIT accentColorChanged();
    }
    QPointer<NowPlayingService> self(this);
    m_decoder.decode(*bytes, [self, generation](const ArtworkDecoder::Result& result) {
        if (self && self->m_artworkGeneration == generation)
            self->applyArtwork(result);
    });
}

void NowPlayingService::applyArtwork(const ArtworkDecoder::Result& result)
{
    std::optional<QImage> image;
    if (!result.image.isNull())
        image = result.image;
    // QImage compares pixels; a new image always replaces the old one here.
    m_artwork = image;
    Q_EMIT artworkChanged();
    if (result.accentColor != m_accentColor) {
        m_accentColor = result.accentColor;
        Q_EMIT accentColorChanged();
    }
    ++m_artworkID;
    Q_EMIT artworkIDChanged();
}

void NowPlayingService::updateSource(const std::optional<NowPlayingTrack>& track)
{
    std::optional<QString> key;
    if (track) {
        key = track->sourceBundleIdentifier.value_or(QString()) + QLatin1Char('|')
            + (track->processIdentifier ? QString::number(*track->processIdentifier) : QString());
    }
    if (key == m_sourceKey)
        return;
    m_sourceKey = key;

    std::optional<ApplicationInfo> info;
    if (track && track->sourceBundleIdentifier)
        info = m_applications.applicationForBundleIdentifier(*track->sourceBundleIdentifier);
    if (!info && track && track->processIdentifier)
        info = m_applications.runningApplication(*track->processIdentifier);

    std::optional<QIcon> icon;
    std::optional<QString> name;
    if (info) {
        if (!info->icon.isNull())
            icon = info->icon;
        name = info->name;
    }
    // QIcon has no equality; a looked-up icon always counts as a change.
    if (icon || m_sourceIcon) {
        m_sourceIcon = icon;
        Q_EMIT sourceIconChanged();
    }
    if (name != m_sourceName) {
        m_sourceName = name;
        Q_EMIT sourceNameChanged();
    }
}

void NowPlayingService::updateActivity()
{
    if (m_track && m_track->isPlaying) {
        m_inactiveTask.cancel();
        setActive(true);
        return;
    }
    if (m_isActive && !m_inactiveTask.isPending()) {
        QPointer<NowPlayingService> self(this);
        m_inactiveTask.start(inactiveDelay, [self] {
            if (!self)
                return;
            if (self->m_track && self->m_track->isPlaying)
                return;
            self->setActive(false);
        });
    }
}

void NowPlayingService::setActive(bool active)
{
    if (m_isActive == active)
        return;
    m_isActive = active;
    Q_EMIT isActiveChanged();
}

void NowPlayingService::setSource(Source source)
{
    if (m_source == source)
        return;
    m_source = source;
    Q_EMIT sourceChanged();
}

void NowPlayingService::send(NowPlayingCommand command)
{
    if (command == NowPlayingCommand::playPause && m_track) {
        m_pendingIsPlaying = !m_track->isPlaying;
        QPointer<NowPlayingService> self(this);
        m_pendingTask.start(pendingDelay, [self] {
            if (!self)
                return;
            self->m_pendingIsPlaying.reset();
            self->present(self->m_sourceTrack);
        });
        present(m_sourceTrack ? m_sourceTrack : m_track);
    }
    if (m_source == Source::appleScript)
        m_appleScript->send(command);
    else
        m_adapter->send(command);
}

void NowPlayingService::seek(double seconds)
{
    if (!m_track)
        return;
    const double limit = m_track->duration.value_or(seconds);
    // Clamping at 0 last also keeps a negative request on a track without a
    // duration from becoming a negative target.
    const double target = std::max(std::min(limit, seconds), 0.0);
    m_pendingSeek = PendingSeek { target, m_clock.now() };
    QPointer<NowPlayingService> self(this);
    m_pendingSeekTask.start(pendingDelay, [self] {
        if (!self)
            return;
        self->m_pendingSeek.reset();
        self->present(self->m_sourceTrack);
    });
    present(m_sourceTrack ? m_sourceTrack : m_track);
    if (m_source == Source::appleScript)
        m_appleScript->seek(target);
    else
        m_adapter->seek(target);
}

void NowPlayingService::activateSource()
{
    if (!m_track)
        return;
    if (m_track->sourceBundleIdentifier && m_applications.applicationForBundleIdentifier(*m_track->sourceBundleIdentifier)) {
        m_applications.openApplication(*m_track->sourceBundleIdentifier, [](const QString& error) {
            if (!error.isEmpty())
                qCCritical(lcNowPlaying, "Unable to open source app: %s", qUtf8Printable(error));
        });
        return;
    }
    if (m_track->processIdentifier && m_applications.runningApplication(*m_track->processIdentifier))
        m_applications.activateRunningApplication(*m_track->processIdentifier);
}
