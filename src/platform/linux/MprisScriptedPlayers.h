#pragma once

#include "PlayerNotificationCenter.h"
#include "RunningApplications.h"
#include "ScriptRunner.h"

#include <QDBusConnection>
#include <QObject>
#include <QPointer>

#include <map>

class MprisPlayer;
class OrgFreedesktopDBusInterface;

/// The scripted players on Linux: Spotify through its MPRIS name
/// (org.mpris.MediaPlayer2.spotify). Its state is mirrored asynchronously,
/// so scripts are answered at once from the mirror and commands are sent
/// without waiting; its changes are posted as
/// "com.spotify.client.PlaybackStateChanged" notifications. Music does not
/// exist here and is never running.
class MprisScriptedPlayers final : public QObject,
                                   public ScriptRunner,
                                   public PlayerNotificationCenter,
                                   public RunningApplications {
    Q_OBJECT
public:
    explicit MprisScriptedPlayers(const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    ~MprisScriptedPlayers() override;
    Q_DISABLE_COPY_MOVE(MprisScriptedPlayers)

    std::optional<QVariant> run(const QString& source, QString* error) override;
    ObserverId addObserver(const QString& name, Handler handler) override;
    void removeObserver(ObserverId id) override;
    bool isRunning(const QString& bundleIdentifier) const override;

private:
    void ownerChanged(const QString& owner);
    void playerChanged();
    void post(const QVariantMap& userInfo);
    std::optional<QVariant> answerSpotify(const QString& script, QString* error);

    QDBusConnection m_bus;
    OrgFreedesktopDBusInterface* m_daemon;
    QPointer<MprisPlayer> m_spotify;
    QVariantMap m_lastPosted;
    std::map<ObserverId, std::pair<QString, Handler>> m_observers;
    ObserverId m_nextObserver = 1;
};
