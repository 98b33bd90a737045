#include "MprisPlayer.h"

#include "dbus_interface.h"
#include "mpris_player_interface.h"
#include "properties_interface.h"

#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

#include <chrono>

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString rootInterface = QStringLiteral("org.mpris.MediaPlayer2");
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");

qint64 epochMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

} // namespace

MprisPlayer::MprisPlayer(const QDBusConnection& bus, const QString& busName, const QString& owner, QObject* parent)
    : QObject(parent)
    // Unique names: Qt then never asks the bus for the owner synchronously.
    , m_properties(new OrgFreedesktopDBusPropertiesInterface(owner, objectPath, bus, this))
    , m_player(new OrgMprisMediaPlayer2PlayerInterface(owner, objectPath, bus, this))
    , m_owner(owner)
{
    m_state.busName = busName;
    m_properties->setTimeout(5000);

    connect(m_properties, &OrgFreedesktopDBusPropertiesInterface::PropertiesChanged, this,
        [this](const QString& interface, const QVariantMap& values, const QStringList& invalidated) {
            if (interface == playerInterface) {
                applyPlayerProperties(values, false);
                // Invalidated values must be fetched again; do it whole.
                if (!invalidated.isEmpty()) {
                    watch(m_properties->GetAll(playerInterface), [this](const QDBusPendingCall& call) {
                        QDBusPendingReply<QVariantMap> reply = call;
                        if (!reply.isError())
                            applyPlayerProperties(reply.value(), true);
                    });
                }
            } else if (interface == rootInterface && values.contains(QStringLiteral("DesktopEntry"))) {
                m_state.desktopEntry = MprisValues::text(values.value(QStringLiteral("DesktopEntry")));
                Q_EMIT changed();
            }
        });
    connect(m_player, &OrgMprisMediaPlayer2PlayerInterface::Seeked, this, [this](qlonglong position) {
        ++m_positionRead;
        m_state.positionMicros = position;
        m_state.positionReadAtEpochMicros = epochMicros();
        Q_EMIT changed();
    });

    watch(m_properties->GetAll(playerInterface), [this](const QDBusPendingCall& call) {
        QDBusPendingReply<QVariantMap> reply = call;
        if (!reply.isError())
            applyPlayerProperties(reply.value(), true);
    });
    watch(m_properties->GetAll(rootInterface), [this](const QDBusPendingCall& call) {
        QDBusPendingReply<QVariantMap> reply = call;
        if (reply.isError())
            return;
        m_state.desktopEntry = MprisValues::text(reply.value().value(QStringLiteral("DesktopEntry")));
        Q_EMIT changed();
    });
    OrgFreedesktopDBusInterface daemon(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), bus);
    watch(daemon.GetConnectionUnixProcessID(owner), [this](const QDBusPendingCall& call) {
        QDBusPendingReply<uint> reply = call;
        if (reply.isError() || reply.value() == 0 || reply.value() > uint(std::numeric_limits<qint32>::max()))
            return;
        m_state.processIdentifier = qint32(reply.value());
        Q_EMIT changed();
    });
}

MprisPlayer::~MprisPlayer() = default;

void MprisPlayer::watch(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> done)
{
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(*watcher);
    });
}

void MprisPlayer::applyPlayerProperties(const QVariantMap& properties, bool whole)
{
    const QString oldStatus = m_state.status;
    const QString oldTrack = MprisValues::trackIdentity(m_state);
    bool touched = false;

    if (properties.contains(QStringLiteral("PlaybackStatus"))) {
        m_state.status = MprisValues::text(properties.value(QStringLiteral("PlaybackStatus"))).value_or(QString());
        touched = true;
    }
    if (properties.contains(QStringLiteral("Metadata")) || whole) {
        m_state.metadata = MprisValues::toMap(properties.value(QStringLiteral("Metadata")));
        touched = true;
    }
    if (properties.contains(QStringLiteral("Rate")) || whole) {
        m_state.rate = MprisValues::number(properties.value(QStringLiteral("Rate")));
        touched = true;
    }
    if (whole && properties.contains(QStringLiteral("Position"))) {
        ++m_positionRead;
        m_state.positionMicros = MprisValues::integer(properties.value(QStringLiteral("Position")));
        m_state.positionReadAtEpochMicros = epochMicros();
    }
    if (!touched)
        return;

    const bool statusChanged = m_state.status != oldStatus;
    const bool trackChanged = MprisValues::trackIdentity(m_state) != oldTrack;
    Q_EMIT changed();
    if (statusChanged)
        Q_EMIT playStateChanged(m_state.status == QLatin1String("Playing"));
    if (!whole && (statusChanged || trackChanged))
        readPosition();
}

void MprisPlayer::readPosition()
{
    const quint64 read = ++m_positionRead;
    watch(m_properties->Get(playerInterface, QStringLiteral("Position")), [this, read](const QDBusPendingCall& call) {
        if (read != m_positionRead)
            return;
        QDBusPendingReply<QDBusVariant> reply = call;
        if (reply.isError()) {
            // No Position property: the program then shows no progress.
            m_state.positionMicros.reset();
            m_state.positionReadAtEpochMicros.reset();
        } else {
            m_state.positionMicros = MprisValues::integer(reply.value().variant());
            m_state.positionReadAtEpochMicros = m_state.positionMicros ? std::optional<qint64>(epochMicros()) : std::nullopt;
        }
        Q_EMIT changed();
    });
}
