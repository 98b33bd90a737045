#include "MprisPlayer.h"

#include "Clock.h"
#include "DBusPropertyMirror.h"
#include "Log.h"
#include "PlatformLog.h"
#include "dbus_interface.h"
#include "mpris_player_interface.h"
#include "properties_interface.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QDBusVariant>

namespace {

// A hung player must not keep replies pending for the bus's default 25 s.
constexpr int callTimeoutMs = 5000;

} // namespace

MprisPlayer::MprisPlayer(const QDBusConnection& bus, const QString& busName, const QString& owner, Clock& clock, QObject* parent)
    : QObject(parent)
    // Unique names: Qt then never asks the bus for the owner synchronously.
    , m_properties(new OrgFreedesktopDBusPropertiesInterface(owner, MprisValues::objectPath, bus, this))
    , m_playerProperties(
          new DBusPropertyMirror(bus, owner, MprisValues::objectPath, MprisValues::playerInterface, callTimeoutMs, this))
    , m_rootProperties(
          new DBusPropertyMirror(bus, owner, MprisValues::objectPath, MprisValues::rootInterface, callTimeoutMs, this))
    , m_player(new OrgMprisMediaPlayer2PlayerInterface(owner, MprisValues::objectPath, bus, this))
    , m_clock(clock)
    , m_owner(owner)
{
    m_state.busName = busName;
    m_properties->setTimeout(callTimeoutMs);
    m_player->setTimeout(callTimeoutMs);

    connect(m_playerProperties, &DBusPropertyMirror::read, this, [this] {
        // A position from a newer Seeked or read stands over the answer's.
        QSet<QString> keep;
        if (m_wholeReadAt != m_positionRead)
            keep.insert(QStringLiteral("Position"));
        apply(m_playerProperties->values(), true, keep);
    });
    connect(m_playerProperties, &DBusPropertyMirror::readFailed, this, [this](const QString& message) {
        qCWarning(lcPlatformMedia, "Media player %s did not report its state: %s", qUtf8Printable(m_state.busName),
            qUtf8Printable(message));
    });
    connect(m_rootProperties, &DBusPropertyMirror::read, this, [this] { takeDesktopEntry(m_rootProperties->values()); });
    readAll();
    m_rootProperties->readAll();
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

void MprisPlayer::propertiesChanged(const QString& interface, const QVariantMap& values, const QStringList& invalidated)
{
    if (interface == MprisValues::playerInterface) {
        apply(values, false);
        // Invalidated values are fetched again, whole.
        if (!invalidated.isEmpty())
            m_wholeReadAt = ++m_positionRead;
        m_playerProperties->apply(values, invalidated);
    } else if (interface == MprisValues::rootInterface) {
        m_rootProperties->apply(values, invalidated);
        if (values.contains(QStringLiteral("DesktopEntry")))
            takeDesktopEntry(values);
    }
}

void MprisPlayer::takeDesktopEntry(const QVariantMap& values)
{
    m_state.desktopEntry = MprisValues::text(values.value(QStringLiteral("DesktopEntry")));
    Q_EMIT changed();
}

void MprisPlayer::seeked(qint64 position)
{
    ++m_positionRead;
    m_state.positionMicros = position;
    m_state.positionReadAt = m_clock.now();
    Q_EMIT changed();
}

void MprisPlayer::watch(const QDBusPendingCall& call, std::function<void(const QDBusPendingCall&)> done)
{
    auto* watcher = new QDBusPendingCallWatcher(call, this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [watcher, done = std::move(done)] {
        watcher->deleteLater();
        done(*watcher);
    });
}

void MprisPlayer::readAll()
{
    m_wholeReadAt = ++m_positionRead;
    m_playerProperties->readAll();
}

void MprisPlayer::apply(const QVariantMap& properties, bool whole, const QSet<QString>& keep)
{
    if (properties.contains(QStringLiteral("Position")) && !keep.contains(QStringLiteral("Position")))
        ++m_positionRead;
    const MprisValues::Applied applied = MprisValues::applyPlayerProperties(m_state, properties, whole, m_clock.now(), keep);
    if (!applied.touched)
        return;
    Q_EMIT changed();
    if (applied.statusChanged)
        Q_EMIT statusChanged();
    if (!whole && (applied.statusChanged || applied.trackChanged) && !properties.contains(QStringLiteral("Position")))
        readPosition();
}

void MprisPlayer::readPosition()
{
    const quint64 read = ++m_positionRead;
    watch(
        m_properties->Get(MprisValues::playerInterface, QStringLiteral("Position")), [this, read](const QDBusPendingCall& call) {
            if (read != m_positionRead)
                return;
            QDBusPendingReply<QDBusVariant> reply = call;
            // Without a Position property the program shows no progress.
            m_state.positionMicros = reply.isError() ? std::nullopt : MprisValues::integer(reply.value().variant());
            m_state.positionReadAt = m_state.positionMicros ? std::optional<QDateTime>(m_clock.now()) : std::nullopt;
            Q_EMIT changed();
        });
}

void MprisPlayer::command(const QDBusPendingCall& call, const char* name)
{
    qCDebug(lcTraceDBus, "%s sent to media player %s", name, qUtf8Printable(m_owner));
    watch(call, [this, name](const QDBusPendingCall& done) {
        if (done.isError()) {
            qCWarning(lcPlatformMedia, "%s sent to media player %s failed: %s", name, qUtf8Printable(m_state.busName),
                qUtf8Printable(done.error().message()));
        }
    });
}

void MprisPlayer::playPause()
{
    command(m_player->PlayPause(), "PlayPause");
}

void MprisPlayer::next()
{
    command(m_player->Next(), "Next");
}

void MprisPlayer::previous()
{
    command(m_player->Previous(), "Previous");
}

void MprisPlayer::setPosition(qint64 micros)
{
    micros = std::max<qint64>(micros, 0);
    const auto trackId = MprisValues::trackId(m_state.metadata.value(QStringLiteral("mpris:trackid")));
    if (trackId && QDBusObjectPath(*trackId).path() == *trackId) {
        command(m_player->SetPosition(QDBusObjectPath(*trackId), micros), "SetPosition");
        return;
    }
    // Without a track id SetPosition cannot be used; a relative seek from
    // the position the player reports now reaches the same place.
    watch(m_properties->Get(MprisValues::playerInterface, QStringLiteral("Position")),
        [this, micros](const QDBusPendingCall& call) {
            QDBusPendingReply<QDBusVariant> reply = call;
            const auto current = reply.isError() ? std::nullopt : MprisValues::integer(reply.value().variant());
            if (!current) {
                qCWarning(lcPlatformMedia, "Cannot seek media player %s: it reports neither a track id nor a position",
                    qUtf8Printable(m_state.busName));
                return;
            }
            command(m_player->Seek(micros - *current), "Seek");
        });
}
