#pragma once

#include "Clock.h"
#include "NowPlayingCommand.h"
#include "NowPlayingTrack.h"
#include "PlayerNotificationCenter.h"
#include "WebLoader.h"

#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

class RunningApplications;
class ScriptRunner;

/// Follows Music and Spotify through their playback notifications and, once
/// active, completes their tracks by script (position, duration, artwork) and
/// sends them commands. The Now Playing fallback source. Main thread only.
class AppleScriptMediaClient final : public QObject {
    Q_OBJECT
public:
    struct Player {
        QString bundleIdentifier;
        QString applicationName;
        QString notificationName;
        bool reportsDurationInMilliseconds = false;
        bool operator==(const Player&) const = default;
    };
    /// Music, then Spotify: the order of the refresh scan.
    static const QList<Player>& players();

    AppleScriptMediaClient(ScriptRunner& scripts, PlayerNotificationCenter& notifications, RunningApplications& applications,
        WebLoader& web, Clock& clock = Clock::system(), QObject* parent = nullptr);
    ~AppleScriptMediaClient() override;
    Q_DISABLE_COPY_MOVE(AppleScriptMediaClient)

    /// The latest track of the active player.
    const std::optional<NowPlayingTrack>& currentTrack() const { return m_currentTrack; }
    const std::optional<Player>& activePlayer() const { return m_activePlayer; }
    /// True from activate() to stopObserving().
    bool isActive() const { return m_isActive; }

    /// Subscribes to every player's notifications; nothing if already observing.
    void startObserving();
    /// Unsubscribes and forgets the track without reporting it.
    void stopObserving();
    /// Scripts complete the tracks from now on; picks up a player already playing.
    void activate();
    /// Runs the command script when a player is active and running.
    void send(NowPlayingCommand command);
    /// Runs the seek script when a player is active and running.
    void seek(double seconds);

    static QString refreshScript(const Player& player);
    static QString timingScript(const Player& player);
    static QString commandScript(const Player& player, NowPlayingCommand command);
    static QString seekScript(const Player& player, double seconds);
    static QString artworkScript(const Player& player);

Q_SIGNALS:
    /// The followed player's track changed; absent when nothing plays.
    void trackChanged(const std::optional<NowPlayingTrack>& track);

private:
    void handleNotification(const Player& player, const QVariantMap& userInfo);
    void handleUpdate(const Player& player, const std::optional<QString>& state, const std::optional<QString>& title,
        const std::optional<QString>& artist, const std::optional<QString>& album);
    void publish(const std::optional<NowPlayingTrack>& track);
    void refreshFromRunningPlayers();
    void refreshTiming(const Player& player, const QString& title);
    void loadArtwork(const Player& player, const QString& title);
    void applyArtwork(const std::optional<QByteArray>& bytes, const QString& title);
    void cancelArtworkTask();
    std::optional<QVariant> runScript(const QString& source);
    bool isRunning(const Player& player) const;

    ScriptRunner& m_scripts;
    PlayerNotificationCenter& m_notifications;
    RunningApplications& m_applications;
    WebLoader& m_web;
    Clock& m_clock;
    std::optional<NowPlayingTrack> m_currentTrack;
    std::optional<Player> m_activePlayer;
    QList<PlayerNotificationCenter::ObserverId> m_observers;
    std::optional<WebLoader::RequestId> m_artworkTask;
    bool m_isActive = false;
};
