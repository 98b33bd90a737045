#pragma once

#include "MprisValues.h"

#include <QObject>
#include <QString>

class OrgFreedesktopDBusPropertiesInterface;
class OrgMprisMediaPlayer2PlayerInterface;
class QDBusConnection;
class QDBusPendingCall;

/// One MPRIS player on the bus, mirrored by asynchronous calls and its
/// signals. MPRIS does not signal the position, so it is read again on every
/// change of play state or track and after every seek. A player that answers
/// wrongly or not at all just leaves the value it would have set unknown.
class MprisPlayer final : public QObject {
    Q_OBJECT
public:
    /// Follows the player owning `busName` through its unique name `owner`.
    MprisPlayer(const QDBusConnection& bus, const QString& busName, const QString& owner, QObject* parent = nullptr);
    ~MprisPlayer() override;
    Q_DISABLE_COPY_MOVE(MprisPlayer)

    const MprisValues::PlayerState& state() const { return m_state; }
    const QString& owner() const { return m_owner; }

Q_SIGNALS:
    /// Something in state() changed.
    void changed();
    /// The play state changed; `playing` tells whether it now plays.
    void playStateChanged(bool playing);

private:
    void applyPlayerProperties(const QVariantMap& properties, bool whole);
    void readPosition();
    void watch(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> done);

    OrgFreedesktopDBusPropertiesInterface* m_properties;
    OrgMprisMediaPlayer2PlayerInterface* m_player;
    QString m_owner;
    MprisValues::PlayerState m_state;
    // Replies of position reads that were overtaken by a newer read are dropped.
    quint64 m_positionRead = 0;
};
