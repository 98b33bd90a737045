#include "MprisScriptedPlayers.h"

#include "MprisPlayer.h"
#include "MprisValues.h"
#include "dbus_interface.h"
#include "mpris_player_interface.h"

#include <QDBusObjectPath>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QRegularExpression>

#include <chrono>

namespace {

const QString spotifyBusName = QStringLiteral("org.mpris.MediaPlayer2.spotify");
const QString spotifyBundle = QStringLiteral("com.spotify.client");
const QString spotifyNotification = QStringLiteral("com.spotify.client.PlaybackStateChanged");
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");

qint64 epochMicros()
{
    using namespace std::chrono;
    return duration_cast<microseconds>(system_clock::now().time_since_epoch()).count();
}

QString scriptedState(const QString& status)
{
    if (status == QLatin1String("Playing"))
        return QStringLiteral("Playing");
    if (status == QLatin1String("Paused"))
        return QStringLiteral("Paused");
    return QStringLiteral("Stopped");
}

} // namespace

MprisScriptedPlayers::MprisScriptedPlayers(const QDBusConnection& bus, QObject* parent)
    : QObject(parent)
    , m_bus(bus)
    , m_daemon(new OrgFreedesktopDBusInterface(
          QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), bus, this))
{
    connect(m_daemon, &OrgFreedesktopDBusInterface::NameOwnerChanged, this,
        [this](const QString& name, const QString&, const QString& newOwner) {
            if (name == spotifyBusName)
                ownerChanged(newOwner);
        });
    auto* watcher = new QDBusPendingCallWatcher(m_daemon->GetNameOwner(spotifyBusName), this);
    connect(watcher, &QDBusPendingCallWatcher::finished, this, [this, watcher] {
        watcher->deleteLater();
        QDBusPendingReply<QString> reply = *watcher;
        if (!reply.isError() && !m_spotify)
            ownerChanged(reply.value());
    });
}

MprisScriptedPlayers::~MprisScriptedPlayers() = default;

void MprisScriptedPlayers::ownerChanged(const QString& owner)
{
    if (m_spotify) {
        delete m_spotify.data();
        post({ { QStringLiteral("Player State"), QStringLiteral("Stopped") } });
    }
    if (owner.isEmpty())
        return;
    m_spotify = new MprisPlayer(m_bus, spotifyBusName, owner, this);
    connect(m_spotify, &MprisPlayer::changed, this, &MprisScriptedPlayers::playerChanged);
}

void MprisScriptedPlayers::playerChanged()
{
    if (!m_spotify)
        return;
    const auto& state = m_spotify->state();
    if (state.status.isEmpty())
        return;
    QVariantMap info { { QStringLiteral("Player State"), scriptedState(state.status) } };
    const auto& m = state.metadata;
    if (const auto title = MprisValues::text(m.value(QStringLiteral("xesam:title"))))
        info.insert(QStringLiteral("Name"), *title);
    info.insert(QStringLiteral("Artist"), MprisValues::joinedTexts(m.value(QStringLiteral("xesam:artist"))).value_or(QString()));
    info.insert(QStringLiteral("Album"), MprisValues::text(m.value(QStringLiteral("xesam:album"))).value_or(QString()));
    // The player posts on changes of playback, not on every position read.
    if (info != m_lastPosted)
        post(info);
}

void MprisScriptedPlayers::post(const QVariantMap& userInfo)
{
    m_lastPosted = userInfo;
    auto observers = m_observers;
    for (const auto& [id, entry] : observers) {
        if (entry.first == spotifyNotification && m_observers.count(id))
            entry.second(userInfo);
    }
}

PlayerNotificationCenter::ObserverId MprisScriptedPlayers::addObserver(const QString& name, Handler handler)
{
    const ObserverId id = m_nextObserver++;
    m_observers.emplace(id, std::make_pair(name, std::move(handler)));
    return id;
}

void MprisScriptedPlayers::removeObserver(ObserverId id)
{
    m_observers.erase(id);
}

bool MprisScriptedPlayers::isRunning(const QString& bundleIdentifier) const
{
    return bundleIdentifier == spotifyBundle && m_spotify;
}

std::optional<QVariant> MprisScriptedPlayers::run(const QString& source, QString* error)
{
    static const QRegularExpression target(QStringLiteral("^tell application \"([^\"]+)\""));
    const auto match = target.match(source);
    if (!match.hasMatch()) {
        if (error)
            *error = QStringLiteral("unsupported script");
        return std::nullopt;
    }
    if (match.captured(1) != QLatin1String("Spotify") || !m_spotify) {
        if (error)
            *error = QStringLiteral("application \"%1\" is not running").arg(match.captured(1));
        return std::nullopt;
    }
    return answerSpotify(source, error);
}

std::optional<QVariant> MprisScriptedPlayers::answerSpotify(const QString& script, QString* error)
{
    const auto& state = m_spotify->state();
    const auto& m = state.metadata;
    const QString title = MprisValues::text(m.value(QStringLiteral("xesam:title"))).value_or(QString());
    OrgMprisMediaPlayer2PlayerInterface player(m_spotify->owner(), objectPath, m_bus);

    if (script.contains(QLatin1String("if player state is stopped then return"))) {
        if (state.status != QLatin1String("Playing") && state.status != QLatin1String("Paused"))
            return QVariant(QString());
        return QVariant(
            QStringList { title, MprisValues::joinedTexts(m.value(QStringLiteral("xesam:artist"))).value_or(QString()),
                MprisValues::text(m.value(QStringLiteral("xesam:album"))).value_or(QString()),
                state.status == QLatin1String("Playing") ? QStringLiteral("playing") : QStringLiteral("paused") }
                .join(QLatin1Char('\t')));
    }
    if (script.endsWith(QLatin1String(" to return {player position, duration of current track}"))) {
        if (!state.positionMicros) {
            if (error)
                *error = QStringLiteral("the player reports no position");
            return std::nullopt;
        }
        double position = double(*state.positionMicros) / 1e6;
        if (state.status == QLatin1String("Playing") && state.positionReadAtEpochMicros)
            position += state.rate.value_or(1.0) * double(epochMicros() - *state.positionReadAtEpochMicros) / 1e6;
        const double lengthMs = double(MprisValues::integer(m.value(QStringLiteral("mpris:length"))).value_or(0)) / 1000.0;
        return QVariant(QVariantList { position, lengthMs });
    }
    if (script.endsWith(QLatin1String(" to get artwork url of current track")))
        return QVariant(MprisValues::text(m.value(QStringLiteral("mpris:artUrl"))).value_or(QString()));

    // Commands are sent without waiting for the player; their answer is never read.
    if (script.endsWith(QLatin1String(" to playpause"))) {
        player.PlayPause();
        return QVariant(QString());
    }
    if (script.endsWith(QLatin1String(" to next track"))) {
        player.Next();
        return QVariant(QString());
    }
    if (script.endsWith(QLatin1String(" to previous track"))) {
        player.Previous();
        return QVariant(QString());
    }
    static const QRegularExpression seek(QStringLiteral(" to set player position to ([0-9]+(?:\\.[0-9]+)?)$"));
    if (const auto found = seek.match(script); found.hasMatch()) {
        const auto trackId = MprisValues::trackId(m.value(QStringLiteral("mpris:trackid")));
        if (!trackId || QDBusObjectPath(*trackId).path() != *trackId) {
            if (error)
                *error = QStringLiteral("the player reports no track id");
            return std::nullopt;
        }
        player.SetPosition(QDBusObjectPath(*trackId), qlonglong(std::llround(found.captured(1).toDouble() * 1e6)));
        return QVariant(QString());
    }
    if (error)
        *error = QStringLiteral("unsupported script");
    return std::nullopt;
}
