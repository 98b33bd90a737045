#pragma once

#include "ArtworkDecoder.h"
#include "Clock.h"
#include "DelayedTask.h"
#include "NowPlayingCommand.h"
#include "NowPlayingTrack.h"
#include "Scheduler.h"

#include <QColor>
#include <QIcon>
#include <QImage>
#include <QObject>
#include <QVariant>
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class ApplicationCatalog;
class MediaPlayers;
class WebLoader;
struct MediaPlayerState;

/// The one source of truth for what plays: reads the shown media player,
/// smooths its hiccups, applies the user's commands optimistically and
/// publishes the track with its artwork, accent colour and source
/// application. Main thread only.
class NowPlayingService final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")
    /// True while a track is published.
    Q_PROPERTY(bool hasTrack READ hasTrack NOTIFY trackChanged FINAL)
    /// The decoded artwork of the track, a QImage (which has no QML type);
    /// null when there is none.
    Q_PROPERTY(QVariant artwork READ artworkValue NOTIFY artworkChanged FINAL)
    /// Grows by one whenever the artwork bytes change (also to none).
    Q_PROPERTY(int artworkID READ artworkID NOTIFY artworkIDChanged FINAL)
    /// Accent colour taken from the artwork; invalid when there is none.
    Q_PROPERTY(QColor accentColor READ accentColorValue NOTIFY accentColorChanged FINAL)
    /// Display name of the playing application; empty when unknown.
    Q_PROPERTY(QString sourceName READ sourceNameValue NOTIFY sourceNameChanged FINAL)
    /// True when the playing application's icon is known.
    Q_PROPERTY(bool hasSourceIcon READ hasSourceIcon NOTIFY sourceIconChanged FINAL)
    /// True while something plays (falls 1.5 s after playback stops).
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged FINAL)
    /// The name of the player being read ("vlc"); empty when none.
    Q_PROPERTY(QString playerName READ playerName NOTIFY playerNameChanged FINAL)
    /// The names of the players present, for the choice of a preferred one.
    Q_PROPERTY(QStringList players READ players NOTIFY playersChanged FINAL)
public:
    NowPlayingService(MediaPlayers& players, ApplicationCatalog& applications, WebLoader& web,
        Scheduler& scheduler = Scheduler::system(), Clock& clock = Clock::system(),
        ArtworkDecoder::Executor artworkExecutor = ArtworkDecoder::workerThreads(), QObject* parent = nullptr);
    ~NowPlayingService() override;
    Q_DISABLE_COPY_MOVE(NowPlayingService)

    /// Starts following the players; idempotent.
    void start();
    /// Stops reading and clears everything published; idempotent.
    void stop();
    bool isRunning() const { return m_isRunning; }

    /// Sends a transport command; play/pause shows its effect at once.
    void send(NowPlayingCommand command);
    /// send(playPause), for the views.
    Q_INVOKABLE void playPause() { send(NowPlayingCommand::playPause); }
    /// send(nextTrack), for the views.
    Q_INVOKABLE void nextTrack() { send(NowPlayingCommand::nextTrack); }
    /// send(previousTrack), for the views.
    Q_INVOKABLE void previousTrack() { send(NowPlayingCommand::previousTrack); }
    /// Seeks to `seconds`, clamped to the track; the position jumps at once.
    Q_INVOKABLE void seek(double seconds);
    /// Brings the playing application to the front.
    Q_INVOKABLE void activateSource();
    /// `preferred` is read whenever it plays (empty: automatic); players
    /// named in `ignored` are never shown nor controlled.
    void setPlayerPreferences(const QString& preferred, const QStringList& ignored);

    const std::optional<NowPlayingTrack>& track() const { return m_track; }
    bool hasTrack() const { return m_track.has_value(); }
    const std::optional<QImage>& artwork() const { return m_artwork; }
    QImage artworkImage() const { return m_artwork.value_or(QImage()); }
    QVariant artworkValue() const { return m_artwork ? QVariant(*m_artwork) : QVariant(); }
    int artworkID() const { return m_artworkID; }
    const std::optional<QColor>& accentColor() const { return m_accentColor; }
    QColor accentColorValue() const { return m_accentColor.value_or(QColor()); }
    const std::optional<QIcon>& sourceIcon() const { return m_sourceIcon; }
    bool hasSourceIcon() const { return m_sourceIcon.has_value(); }
    const std::optional<QString>& sourceName() const { return m_sourceName; }
    QString sourceNameValue() const { return m_sourceName.value_or(QString()); }
    bool isActive() const { return m_isActive; }
    QString playerName() const { return m_track ? m_track->player : QString(); }
    QStringList players() const;

Q_SIGNALS:
    void trackChanged();
    void artworkChanged();
    void artworkIDChanged();
    void accentColorChanged();
    void sourceIconChanged();
    void sourceNameChanged();
    void isActiveChanged();
    void playerNameChanged();
    void playersChanged();

private:
    struct PendingSeek {
        double position;
        QDateTime requestedAt;
    };

    static std::optional<NowPlayingTrack> trackOf(const std::optional<MediaPlayerState>& state);
    void receive(const std::optional<NowPlayingTrack>& track);
    std::optional<NowPlayingTrack> carryingPosition(
        const std::optional<NowPlayingTrack>& old, const std::optional<NowPlayingTrack>& next) const;
    void present(std::optional<NowPlayingTrack> track);
    void updateArtwork(const std::optional<QString>& url);
    void applyArtwork(const ArtworkDecoder::Result& result);
    void updateSource(const std::optional<NowPlayingTrack>& track);
    void updateActivity();
    void setActive(bool active);

    MediaPlayers& m_players;
    ApplicationCatalog& m_applications;
    WebLoader& m_web;
    Clock& m_clock;
    ArtworkDecoder m_decoder;

    std::optional<NowPlayingTrack> m_track;
    std::optional<QImage> m_artwork;
    int m_artworkID = 0;
    std::optional<QColor> m_accentColor;
    std::optional<QIcon> m_sourceIcon;
    std::optional<QString> m_sourceName;
    bool m_isActive = false;

    std::optional<NowPlayingTrack> m_sourceTrack;
    std::optional<QString> m_artworkUrl;
    std::optional<quint64> m_artworkDownload;
    // Drops decodes of bytes that were replaced before they finished.
    quint64 m_artworkGeneration = 0;
    std::optional<QString> m_sourceKey;
    std::optional<bool> m_pendingIsPlaying;
    DelayedTask m_pendingTask;
    std::optional<PendingSeek> m_pendingSeek;
    DelayedTask m_pendingSeekTask;
    DelayedTask m_clearTask;
    DelayedTask m_inactiveTask;
    bool m_isRunning = false;
};
