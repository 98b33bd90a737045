#include "StreamSession.h"

#include "ArtworkCache.h"
#include "MprisPlayer.h"
#include "adapter_adaptor.h"
#include "dbus_interface.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QJsonDocument>

#include <cstdio>

namespace {
const QString hintService = QStringLiteral("com.larkmoor.Brimwell.NowPlayingAdapter");
const QString hintPath = QStringLiteral("/com/larkmoor/Brimwell/NowPlayingAdapter");
} // namespace

StreamSession::StreamSession(const QDBusConnection& bus, int debounceMs, FILE* out, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
    , m_debounceMs(std::max(debounceMs, 0))
    , m_out(out)
    , m_daemon(new OrgFreedesktopDBusInterface(
          QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), bus, this))
    , m_artwork(new ArtworkCache(this))
{
    m_window.setSingleShot(true);
    m_window.setTimerType(Qt::PreciseTimer);
    connect(&m_window, &QTimer::timeout, this, [this] {
        if (!m_dirty)
            return;
        // Changes came in during the window: one line for all, and a new window.
        m_dirty = false;
        flush();
        m_window.start(m_debounceMs);
    });
    connect(m_artwork, &ArtworkCache::loaded, this, [this] { changed(); });
}

StreamSession::~StreamSession() = default;

void StreamSession::start()
{
    new NowPlayingAdapterAdaptor(this);
    m_bus.registerObject(hintPath, this);
    // A stream that is replaced (Now Playing switched off and on quickly)
    // hands the name over to the new one.
    const auto claimed = m_bus.interface()->registerService(
        hintService, QDBusConnectionInterface::ReplaceExistingService, QDBusConnectionInterface::AllowReplacement);
    if (!claimed.isValid() || claimed.value() != QDBusConnectionInterface::ServiceRegistered)
        std::fprintf(stderr, "nowplaying-adapter: cannot own %s\n", qUtf8Printable(hintService));

    connect(m_daemon, &OrgFreedesktopDBusInterface::NameOwnerChanged, this, &StreamSession::nameOwnerChanged);
    auto* watcher = new QDBusPendingCallWatcher(m_daemon->ListNames(), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        QDBusPendingReply<QStringList> reply = *watcher;
        if (!reply.isError()) {
            for (const QString& name : reply.value()) {
                if (!MprisValues::isPlayerBusName(name))
                    continue;
                auto* owner = new QDBusPendingCallWatcher(m_daemon->GetNameOwner(name), this);
                connect(owner, &QDBusPendingCallWatcher::finished, this, [this, owner, name] {
                    owner->deleteLater();
                    QDBusPendingReply<QString> ownerReply = *owner;
                    if (!ownerReply.isError() && !m_players.contains(name))
                        addPlayer(name, ownerReply.value());
                });
            }
        }
        // The first line says what plays now, even if that is nothing.
        changed();
    });
}

QString StreamSession::CurrentPlayer() const
{
    return m_current ? m_current->state().busName : QString();
}

void StreamSession::nameOwnerChanged(const QString& name, const QString& oldOwner, const QString& newOwner)
{
    if (!MprisValues::isPlayerBusName(name))
        return;
    if (!oldOwner.isEmpty() || newOwner.isEmpty())
        removePlayer(name);
    if (!newOwner.isEmpty())
        addPlayer(name, newOwner);
}

void StreamSession::addPlayer(const QString& busName, const QString& owner)
{
    if (m_players.contains(busName))
        removePlayer(busName);
    auto* player = new MprisPlayer(m_bus, busName, owner, this);
    m_players.insert(busName, player);
    connect(player, &MprisPlayer::playStateChanged, this, [this, busName](bool playing) {
        if (playing)
            m_startedPlaying.insert(busName, ++m_playSequence);
        chooseCurrent();
    });
    connect(player, &MprisPlayer::changed, this, [this, player] {
        if (player == m_current || !m_current)
            chooseCurrent();
        if (player == m_current)
            changed();
    });
    chooseCurrent();
}

void StreamSession::removePlayer(const QString& busName)
{
    MprisPlayer* player = m_players.take(busName);
    m_startedPlaying.remove(busName);
    if (!player)
        return;
    player->deleteLater();
    if (player == m_current) {
        m_current = nullptr;
        chooseCurrent();
        changed();
    }
}

void StreamSession::chooseCurrent()
{
    MprisPlayer* best = nullptr;
    quint64 bestSequence = 0;
    for (auto it = m_players.cbegin(); it != m_players.cend(); ++it) {
        if (it.value()->state().status != QLatin1String("Playing"))
            continue;
        const quint64 sequence = m_startedPlaying.value(it.key(), 0);
        if (!best || sequence > bestSequence) {
            best = it.value();
            bestSequence = sequence;
        }
    }
    if (!best && m_current)
        best = m_current;
    if (!best) {
        // Nothing plays and nothing was shown: a paused player is still worth showing.
        for (auto it = m_players.cbegin(); it != m_players.cend(); ++it) {
            const quint64 sequence = m_startedPlaying.value(it.key(), 0);
            if (it.value()->state().status == QLatin1String("Paused") && (!best || sequence > bestSequence)) {
                best = it.value();
                bestSequence = sequence;
            }
        }
    }
    if (best == m_current)
        return;
    m_current = best;
    changed();
}

void StreamSession::changed()
{
    if (m_window.isActive()) {
        m_dirty = true;
        return;
    }
    flush();
    if (m_debounceMs > 0)
        m_window.start(m_debounceMs);
}

void StreamSession::flush()
{
    QJsonObject payload;
    QString identity;
    if (m_current) {
        const auto& state = m_current->state();
        const QString artUrl = MprisValues::text(state.metadata.value(QStringLiteral("mpris:artUrl"))).value_or(QString());
        payload = MprisValues::payload(state, m_artwork->artwork(artUrl));
        identity = MprisValues::trackIdentity(state);
    }

    if (!m_sentAny || identity != m_sentIdentity) {
        writeLine(QJsonObject { { QStringLiteral("type"), QStringLiteral("data") }, { QStringLiteral("diff"), false },
            { QStringLiteral("payload"), payload } });
    } else {
        QJsonObject diff;
        for (auto it = payload.constBegin(); it != payload.constEnd(); ++it) {
            if (m_sentPayload.value(it.key()) != it.value())
                diff.insert(it.key(), it.value());
        }
        for (auto it = m_sentPayload.constBegin(); it != m_sentPayload.constEnd(); ++it) {
            if (!payload.contains(it.key()))
                diff.insert(it.key(), QJsonValue::Null);
        }
        if (diff.isEmpty())
            return;
        writeLine(QJsonObject { { QStringLiteral("type"), QStringLiteral("data") }, { QStringLiteral("diff"), true },
            { QStringLiteral("payload"), diff } });
    }
    m_sentAny = true;
    m_sentIdentity = identity;
    m_sentPayload = payload;
}

void StreamSession::writeLine(const QJsonObject& object)
{
    QByteArray line = QJsonDocument(object).toJson(QJsonDocument::Compact);
    line += '\n';
    if (std::fwrite(line.constData(), 1, size_t(line.size()), m_out) != size_t(line.size()) || std::fflush(m_out) != 0)
        QCoreApplication::exit(1); // the reader is gone
}
