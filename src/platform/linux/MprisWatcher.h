#pragma once

#include "MediaPlayers.h"
#include "MprisPlayerChoice.h"

#include <QDBusConnection>
#include <QHash>
#include <QPointer>

class Clock;
class MprisPlayer;
class OrgFreedesktopDBusInterface;
class QDBusMessage;

/// The session's MPRIS players, found through the bus's NameOwnerChanged and
/// followed in process, each by its unique name. Never waits on a player:
/// every read and command is asynchronous.
class MprisWatcher final : public MediaPlayers {
    Q_OBJECT
public:
    explicit MprisWatcher(const QDBusConnection& bus, Clock& clock, QObject* parent = nullptr);
    ~MprisWatcher() override;
    Q_DISABLE_COPY_MOVE(MprisWatcher)

    void startWatching() override;
    void stopWatching() override;
    std::optional<MediaPlayerState> current() const override;
    QStringList players() const override { return m_choice.names(); }
    void setPreferences(const QString& preferred, const QStringList& ignored) override;
    void playPause() override;
    void next() override;
    void previous() override;
    void setPosition(qint64 micros) override;

private Q_SLOTS:
    // Matched for every sender from the start, so a player's first changes
    // are not lost while its own mirror is being set up.
    void propertiesChanged(const QDBusMessage& message);
    void seeked(const QDBusMessage& message);

private:
    void matchPlayerSignals(bool on);
    void nameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner);
    void addName(const QString& name, const QString& owner);
    void removeName(const QString& name);
    void choose();
    MprisPlayer* shown() const;

    QDBusConnection m_bus;
    Clock& m_clock;
    OrgFreedesktopDBusInterface* m_daemon = nullptr;
    // Well-known name -> unique name, and the one mirror per unique name.
    QHash<QString, QString> m_owners;
    QHash<QString, MprisPlayer*> m_players;
    MprisPlayerChoice m_choice;
    QString m_shown;
    std::optional<MediaPlayerState> m_published;
    QStringList m_publishedNames;
};
