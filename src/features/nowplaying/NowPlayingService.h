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
#include <QtQml/qqmlregistration.h>

#include <memory>
#include <optional>

class AppleScriptMediaClient;
class ApplicationCatalog;
class MediaRemoteAdapterClient;

/// The one source of truth for what plays: chooses between the adapter
/// stream and the scripted-player fallback, smooths their hiccups, applies
/// the user's commands optimistically and publishes the track with its
/// artwork, accent colour and source application. Main thread only.
class NowPlayingService final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")
    /// True while a track is published.
    Q_PROPERTY(bool hasTrack READ hasTrack NOTIFY trackChanged)
    /// The decoded artwork of the track; null when there is none.
    Q_PROPERTY(QImage artwork READ artworkImage NOTIFY artworkChanged)
    /// Grows by one whenever the artwork bytes change (also to none).
    Q_PROPERTY(int artworkID READ artworkID NOTIFY artworkIDChanged)
    /// Accent colour taken from the artwork; invalid when there is none.
    Q_PROPERTY(QColor accentColor READ accentColorValue NOTIFY accentColorChanged)
    /// Display name of the playing application; empty when unknown.
    Q_PROPERTY(QString sourceName READ sourceNameValue NOTIFY sourceNameChanged)
    /// True when the playing application's icon is known.
    Q_PROPERTY(bool hasSourceIcon READ hasSourceIcon NOTIFY sourceIconChanged)
    /// True while something plays (falls 1.5 s after playback stops).
    Q_PROPERTY(bool isActive READ isActive NOTIFY isActiveChanged)
    /// The authoritative source.
    Q_PROPERTY(Source source READ source NOTIFY sourceChanged)
public:
    enum class Source { systemNowPlaying, appleScript };
    Q_ENUM(Source)

    /// Takes ownership of both clients and installs their callbacks.
    NowPlayingService(std::unique_ptr<MediaRemoteAdapterClient> adapter, std::unique_ptr<AppleScriptMediaClient> appleScript,
        ApplicationCatalog& applications, Scheduler& scheduler = Scheduler::system(), Clock& clock = Clock::system(),
        ArtworkDecoder::Executor artworkExecutor = ArtworkDecoder::workerThreads(), QObject* parent = nullptr);
    ~NowPlayingService() override;
    Q_DISABLE_COPY_MOVE(NowPlayingService)

    /// Starts following the players; idempotent.
    void start();
    /// Stops both sources and clears everything published; idempotent.
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

    const std::optional<NowPlayingTrack>& track() const { return m_track; }
    bool hasTrack() const { return m_track.has_value(); }
    const std::optional<QImage>& artwork() const { return m_artwork; }
    QImage artworkImage() const { return m_artwork.value_or(QImage()); }
    int artworkID() const { return m_artworkID; }
    const std::optional<QColor>& accentColor() const { return m_accentColor; }
    QColor accentColorValue() const { return m_accentColor.value_or(QColor()); }
    const std::optional<QIcon>& sourceIcon() const { return m_sourceIcon; }
    bool hasSourceIcon() const { return m_sourceIcon.has_value(); }
    const std::optional<QString>& sourceName() const { return m_sourceName; }
    QString sourceNameValue() const { return m_sourceName.value_or(QString()); }
    bool isActive() const { return m_isActive; }
    Source source() const { return m_source; }

    MediaRemoteAdapterClient& adapter() const { return *m_adapter; }
    AppleScriptMediaClient& appleScript() const { return *m_appleScript; }

Q_SIGNALS:
    void trackChanged();
    void artworkChanged();
    void artworkIDChanged();
    void accentColorChanged();
    void sourceIconChanged();
    void sourceNameChanged();
    void isActiveChanged();
    void sourceChanged();

private:
    struct PendingSeek {
        double position;
        QDateTime requestedAt;
    };

    void switchToAppleScript(const QString& reason);
    void adapterDidUpdate(const std::optional<NowPlayingTrack>& track);
    void appleScriptDidUpdate(const std::optional<NowPlayingTrack>& track);
    void scheduleBlindAdapterCheck();
    void receive(const std::optional<NowPlayingTrack>& track);
    std::optional<NowPlayingTrack> carryingPosition(
        const std::optional<NowPlayingTrack>& old, const std::optional<NowPlayingTrack>& next) const;
    void present(std::optional<NowPlayingTrack> track);
    void updateArtwork(const std::optional<QByteArray>& bytes);
    void applyArtwork(const ArtworkDecoder::Result& result);
    void updateSource(const std::optional<NowPlayingTrack>& track);
    void updateActivity();
    void setActive(bool active);
    void setSource(Source source);

    std::unique_ptr<MediaRemoteAdapterClient> m_adapter;
    std::unique_ptr<AppleScriptMediaClient> m_appleScript;
    ApplicationCatalog& m_applications;
    Clock& m_clock;
    ArtworkDecoder m_decoder;

    std::optional<NowPlayingTrack> m_track;
    std::optional<QImage> m_artwork;
    int m_artworkID = 0;
    std::optional<QColor> m_accentColor;
    std::optional<QIcon> m_sourceIcon;
    std::optional<QString> m_sourceName;
    bool m_isActive = false;
    Source m_source = Source::systemNowPlaying;

    std::optional<NowPlayingTrack> m_adapterTrack;
    std::optional<NowPlayingTrack> m_sourceTrack;
    std::optional<QByteArray> m_artworkData;
    // Drops decodes of bytes that were replaced before they finished.
    quint64 m_artworkGeneration = 0;
    std::optional<QString> m_sourceKey;
    std::optional<bool> m_pendingIsPlaying;
    DelayedTask m_pendingTask;
    std::optional<PendingSeek> m_pendingSeek;
    DelayedTask m_pendingSeekTask;
    DelayedTask m_clearTask;
    DelayedTask m_inactiveTask;
    DelayedTask m_blindAdapterTask;
    bool m_isRunning = false;
};
