#include "NowPlayingService.h"

#include "ApplicationCatalog.h"
#include "MediaPlayers.h"
#include "NowPlayingLog.h"
#include "WebLoader.h"

#include <QPointer>
#include <QUrl>

#include <cmath>

BRIMWELL_LOGGING_CATEGORY(lcNowPlaying, "brimwell.nowplaying", "NowPlaying")

using namespace std::chrono_literals;

namespace {

constexpr auto clearDelay = 1000ms;
constexpr auto inactiveDelay = 1500ms;
constexpr auto pendingDelay = 1500ms;
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

NowPlayingService::NowPlayingService(MediaPlayers& players, ApplicationCatalog& applications, WebLoader& web,
    Scheduler& scheduler, Clock& clock, ArtworkDecoder::Executor artworkExecutor, QObject* parent)
    : QObject(parent)
    , m_players(players)
    , m_applications(applications)
    , m_web(web)
    , m_clock(clock)
    , m_decoder(std::move(artworkExecutor))
    , m_pendingTask(scheduler)
    , m_pendingSeekTask(scheduler)
    , m_clearTask(scheduler)
    , m_inactiveTask(scheduler)
{
    connect(&m_players, &MediaPlayers::currentChanged, this, [this] {
        if (m_isRunning)
            receive(trackOf(m_players.current()));
    });
    connect(&m_players, &MediaPlayers::playersChanged, this, &NowPlayingService::playersChanged);
}

NowPlayingService::~NowPlayingService()
{
    if (m_artworkDownload)
        m_web.cancel(*m_artworkDownload);
}

void NowPlayingService::start()
{
    if (m_isRunning)
        return;
    m_isRunning = true;
    m_players.startWatching();
    receive(trackOf(m_players.current()));
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
    m_players.stopWatching();
    m_sourceTrack.reset();
    m_pendingIsPlaying.reset();
    m_pendingSeek.reset();
    present(std::nullopt);
    setActive(false);
    // Presenting nothing may have started the grace period; it has nothing left to do.
    m_inactiveTask.cancel();
    Q_EMIT playersChanged();
}

QStringList NowPlayingService::players() const
{
    return m_isRunning ? m_players.players() : QStringList();
}

void NowPlayingService::setPlayerPreferences(const QString& preferred, const QStringList& ignored)
{
    m_players.setPreferences(preferred, ignored);
}

std::optional<NowPlayingTrack> NowPlayingService::trackOf(const std::optional<MediaPlayerState>& state)
{
    // A player that reports no title has nothing to show.
    if (!state || state->title.isEmpty())
        return std::nullopt;
    NowPlayingTrack track;
    track.title = state->title;
    track.artist = state->artist;
    track.album = state->album;
    track.artworkUrl = state->artUrl;
    track.isPlaying = state->isPlaying;
    track.player = state->player;
    track.desktopEntry = state->desktopEntry ? state->desktopEntry : std::optional<QString>(state->player);
    track.processIdentifier = state->processIdentifier;
    if (state->lengthMicros)
        track.duration = double(*state->lengthMicros) / 1e6;
    if (state->positionMicros) {
        track.elapsedTime = double(*state->positionMicros) / 1e6;
        track.elapsedTimestamp = state->positionReadAt;
    }
    track.playbackRate = state->rate;
    return track;
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
        const QString oldPlayer = playerName();
        m_track = track;
        Q_EMIT trackChanged();
        if (playerName() != oldPlayer)
            Q_EMIT playerNameChanged();
    }
    updateArtwork(m_track ? m_track->artworkUrl : std::nullopt);
    updateSource(m_track);
    updateActivity();
}

void NowPlayingService::updateArtwork(const std::optional<QString>& url)
{
    if (url == m_artworkUrl)
        return;
    m_artworkUrl = url;
    const quint64 generation = ++m_artworkGeneration;
    if (m_artworkDownload)
        m_web.cancel(*std::exchange(m_artworkDownload, std::nullopt));
    if (!url) {
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
    const auto done = [self, generation](const ArtworkDecoder::Result& result) {
        if (self && self->m_artworkGeneration == generation)
            self->applyArtwork(result);
    };
    const QUrl address(*url);
    const QString scheme = address.scheme().toLower();
    if (scheme == QLatin1String("file") && address.isLocalFile()) {
        m_decoder.decodeFile(address.toLocalFile(), done);
    } else if (scheme == QLatin1String("data")) {
        m_decoder.decodeDataUrl(*url, done);
    } else if (scheme == QLatin1String("https")) {
        m_artworkDownload
            = m_web.load(address, [self, generation, done](const std::optional<QByteArray>& bytes, const QString& error) {
                  if (!self || self->m_artworkGeneration != generation)
                      return;
                  self->m_artworkDownload.reset();
                  if (bytes && !bytes->isEmpty()) {
                      self->m_decoder.decode(*bytes, done);
                      return;
                  }
                  qCWarning(lcNowPlaying, "Artwork download failed: %s", qUtf8Printable(error));
                  self->applyArtwork({});
              });
    } else {
        // Plain http and other schemes are never fetched.
        qCWarning(lcNowPlaying, "Ignoring artwork at a %s address", qUtf8Printable(scheme.left(16)));
        applyArtwork({});
    }
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
        key = track->desktopEntry.value_or(QString()) + QLatin1Char('|')
            + (track->processIdentifier ? QString::number(*track->processIdentifier) : QString());
    }
    if (key == m_sourceKey)
        return;
    m_sourceKey = key;

    std::optional<ApplicationInfo> info;
    if (track && track->desktopEntry)
        info = m_applications.applicationForDesktopEntry(*track->desktopEntry);
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
    switch (command) {
    case NowPlayingCommand::playPause:
        m_players.playPause();
        break;
    case NowPlayingCommand::nextTrack:
        m_players.next();
        break;
    case NowPlayingCommand::previousTrack:
        m_players.previous();
        break;
    }
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
    m_players.setPosition(qint64(std::llround(target * 1e6)));
}

void NowPlayingService::activateSource()
{
    if (!m_track)
        return;
    if (m_track->desktopEntry && m_applications.applicationForDesktopEntry(*m_track->desktopEntry)) {
        m_applications.openApplication(*m_track->desktopEntry, [](const QString& error) {
            if (!error.isEmpty())
                qCCritical(lcNowPlaying, "Unable to open source app: %s", qUtf8Printable(error));
        });
        return;
    }
    if (m_track->processIdentifier && m_applications.runningApplication(*m_track->processIdentifier))
        m_applications.activateRunningApplication(*m_track->processIdentifier);
}
