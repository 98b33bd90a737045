#include "MprisWatcher.h"

#include "Log.h"
#include "MprisPlayer.h"
#include "PlatformLog.h"
#include "dbus_interface.h"

#include <QDBusMessage>
#include <QDBusMetaType>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>

namespace {

MprisPlayerChoice::Status statusOf(const QString& status)
{
    if (status == QLatin1String("Playing"))
        return MprisPlayerChoice::Status::playing;
    if (status == QLatin1String("Paused"))
        return MprisPlayerChoice::Status::paused;
    if (status == QLatin1String("Stopped"))
        return MprisPlayerChoice::Status::stopped;
    return MprisPlayerChoice::Status::unknown;
}

} // namespace

MprisWatcher::MprisWatcher(const QDBusConnection& bus, Clock& clock, QObject* parent)
    : MediaPlayers(parent)
    , m_bus(bus)
    , m_clock(clock)
{
}

MprisWatcher::~MprisWatcher() = default;

void MprisWatcher::startWatching()
{
    if (m_daemon)
        return;
    m_daemon = new OrgFreedesktopDBusInterface(
        QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), m_bus, this);
    // Before any player is looked for: a player that appears now may signal
    // its first track before a rule made for it alone would be in place.
    matchPlayerSignals(true);
    connect(m_daemon, &OrgFreedesktopDBusInterface::NameOwnerChanged, this, &MprisWatcher::nameOwnerChanged);
    auto* names = new QDBusPendingCallWatcher(m_daemon->ListNames(), m_daemon);
    connect(names, &QDBusPendingCallWatcher::finished, m_daemon, [this, names] {
        names->deleteLater();
        QDBusPendingReply<QStringList> reply = *names;
        if (reply.isError()) {
            qCWarning(lcPlatformMedia, "Cannot list the media players: %s", qUtf8Printable(reply.error().message()));
            return;
        }
        for (const QString& name : reply.value()) {
            if (!MprisValues::isPlayerBusName(name))
                continue;
            auto* owner = new QDBusPendingCallWatcher(m_daemon->GetNameOwner(name), m_daemon);
            connect(owner, &QDBusPendingCallWatcher::finished, m_daemon, [this, owner, name] {
                owner->deleteLater();
                QDBusPendingReply<QString> ownerReply = *owner;
                // NameOwnerChanged may have told about the name meanwhile.
                if (!ownerReply.isError() && !m_owners.contains(name))
                    addName(name, ownerReply.value());
            });
        }
    });
}

void MprisWatcher::stopWatching()
{
    if (!m_daemon)
        return;
    matchPlayerSignals(false);
    // Pending replies are children of the daemon proxy and die with it.
    delete std::exchange(m_daemon, nullptr);
    qDeleteAll(m_players);
    m_players.clear();
    for (const QString& owner : m_owners)
        m_choice.remove(owner);
    m_owners.clear();
    m_shown.clear();
    m_published.reset();
    m_publishedNames.clear();
}

void MprisWatcher::matchPlayerSignals(bool on)
{
    const QString& path = MprisValues::objectPath;
    const QString& properties = MprisValues::propertiesInterface;
    const QString& player = MprisValues::playerInterface;
    if (on) {
        m_bus.connect({}, path, properties, QStringLiteral("PropertiesChanged"), this, SLOT(propertiesChanged(QDBusMessage)));
        m_bus.connect({}, path, player, QStringLiteral("Seeked"), this, SLOT(seeked(QDBusMessage)));
    } else {
        m_bus.disconnect({}, path, properties, QStringLiteral("PropertiesChanged"), this, SLOT(propertiesChanged(QDBusMessage)));
        m_bus.disconnect({}, path, player, QStringLiteral("Seeked"), this, SLOT(seeked(QDBusMessage)));
    }
}

void MprisWatcher::nameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner)
{
    if (!MprisValues::isPlayerBusName(name))
        return;
    if (!oldOwner.isEmpty() || newOwner.isEmpty())
        removeName(name);
    if (!newOwner.isEmpty())
        addName(name, newOwner);
}

void MprisWatcher::addName(const QString& name, const QString& owner)
{
    if (owner.isEmpty())
        return;
    m_owners.insert(name, owner);
    MprisPlayer*& player = m_players[owner];
    if (player) {
        // The same program under a second name (vlc and vlc.instanceN): one
        // player, named by the name seen first.
        return;
    }
    qCDebug(lcTraceDBus, "Media player %s appeared as %s", qUtf8Printable(name), qUtf8Printable(owner));
    player = new MprisPlayer(m_bus, name, owner, m_clock, this);
    m_choice.add(owner, MprisValues::playerName(name));
    connect(player, &MprisPlayer::statusChanged, this, [this, player] {
        m_choice.setStatus(player->owner(), statusOf(player->state().status));
        choose();
    });
    connect(player, &MprisPlayer::changed, this, [this, player] {
        if (player->owner() == m_shown)
            choose();
    });
    choose();
}

void MprisWatcher::removeName(const QString& name)
{
    const QString owner = m_owners.take(name);
    if (owner.isEmpty())
        return;
    for (const QString& other : std::as_const(m_owners)) {
        if (other == owner)
            return; // still on the bus under another name
    }
    qCDebug(lcTraceDBus, "Media player %s (%s) left", qUtf8Printable(name), qUtf8Printable(owner));
    m_choice.remove(owner);
    delete m_players.take(owner);
    choose();
}

void MprisWatcher::propertiesChanged(const QDBusMessage& message)
{
    MprisPlayer* player = m_players.value(message.service());
    // Another signature would be misread (a{ss} read as a{sv} crashes inside libdbus).
    if (!player || message.signature() != QLatin1String("sa{sv}as"))
        return;
    const QVariantList args = message.arguments();
    player->propertiesChanged(
        args.value(0).toString(), qdbus_cast<QVariantMap>(args.value(1)), qdbus_cast<QStringList>(args.value(2)));
}

void MprisWatcher::seeked(const QDBusMessage& message)
{
    MprisPlayer* player = m_players.value(message.service());
    if (player && message.signature() == QLatin1String("x"))
        player->seeked(message.arguments().value(0).toLongLong());
}

MprisPlayer* MprisWatcher::shown() const
{
    return m_shown.isEmpty() ? nullptr : m_players.value(m_shown);
}

std::optional<MediaPlayerState> MprisWatcher::current() const
{
    return m_published;
}

void MprisWatcher::choose()
{
    m_shown = m_choice.chosen();
    std::optional<MediaPlayerState> state;
    if (MprisPlayer* player = shown())
        state = MprisValues::snapshot(player->state());
    if (state != m_published) {
        m_published = state;
        Q_EMIT currentChanged();
    }
    const QStringList names = m_choice.names();
    if (names != m_publishedNames) {
        m_publishedNames = names;
        Q_EMIT playersChanged();
    }
}

void MprisWatcher::setPreferences(const QString& preferred, const QStringList& ignored)
{
    m_choice.setPreferences(preferred, ignored);
    choose();
}

void MprisWatcher::playPause()
{
    if (MprisPlayer* player = shown())
        player->playPause();
}

void MprisWatcher::next()
{
    if (MprisPlayer* player = shown())
        player->next();
}

void MprisWatcher::previous()
{
    if (MprisPlayer* player = shown())
        player->previous();
}

void MprisWatcher::setPosition(qint64 micros)
{
    if (MprisPlayer* player = shown())
        player->setPosition(micros);
}
