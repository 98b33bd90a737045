#pragma once

#include "MprisValues.h"

#include <QObject>
#include <QSet>
#include <QString>

#include <functional>

class Clock;
class DBusPropertyMirror;
class OrgFreedesktopDBusPropertiesInterface;
class OrgMprisMediaPlayer2PlayerInterface;
class QDBusConnection;
class QDBusPendingCall;

/// One MPRIS player on the bus, mirrored by asynchronous calls and the
/// signals its watcher hands it, and the commands sent to it. MPRIS does not
/// signal the position as it moves, so it is read once on every change of
/// play state or track; Seeked reports jumps. A player that answers wrongly or not at all leaves
/// the value it would have set unknown; a failed command is logged.
class MprisPlayer final : public QObject {
    Q_OBJECT
public:
    /// Follows the player whose unique name is `owner`; `busName` is one of
    /// its well-known names.
    MprisPlayer(
        const QDBusConnection& bus, const QString& busName, const QString& owner, Clock& clock, QObject* parent = nullptr);
    ~MprisPlayer() override;
    Q_DISABLE_COPY_MOVE(MprisPlayer)

    const MprisValues::PlayerState& state() const { return m_state; }

    /// The player's PropertiesChanged.
    void propertiesChanged(const QString& interface, const QVariantMap& values, const QStringList& invalidated);
    /// The player's Seeked.
    void seeked(qint64 position);
    const QString& owner() const { return m_owner; }

    void playPause();
    void next();
    void previous();
    /// SetPosition with the track's id; a relative Seek when the track has none.
    void setPosition(qint64 micros);

Q_SIGNALS:
    /// Something in state() changed.
    void changed();
    /// The play state changed.
    void statusChanged();

private:
    void apply(const QVariantMap& properties, bool whole, const QSet<QString>& keep = {});
    void readAll();
    void takeDesktopEntry(const QVariantMap& values);
    void readPosition();
    void watch(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> done);
    void command(const QDBusPendingCall& call, const char* name);

    OrgFreedesktopDBusPropertiesInterface* m_properties;
    DBusPropertyMirror* m_playerProperties;
    DBusPropertyMirror* m_rootProperties;
    OrgMprisMediaPlayer2PlayerInterface* m_player;
    Clock& m_clock;
    QString m_owner;
    MprisValues::PlayerState m_state;
    // Replies of position reads that were overtaken by a newer one are dropped.
    quint64 m_positionRead = 0;
    // m_positionRead when the pending whole read was asked for.
    quint64 m_wholeReadAt = 0;
};
