#include "AppleScriptMediaClient.h"

#include "Log.h"
#include "RunningApplications.h"
#include "ScriptRunner.h"

#include <QPointer>
#include <QUrl>

namespace {

std::optional<QString> stringEntry(const QVariantMap& userInfo, const char* key)
{
    const QVariant value = userInfo.value(QLatin1String(key));
    if (value.typeId() != QMetaType::QString)
        return std::nullopt;
    return value.toString();
}

std::optional<double> numberItem(const QVariant& value)
{
    bool ok = false;
    const double number = value.toDouble(&ok);
    if (!ok || value.typeId() == QMetaType::QString)
        return std::nullopt;
    return number;
}

} // namespace

const QList<AppleScriptMediaClient::Player>& AppleScriptMediaClient::players()
{
    static const QList<Player> table {
        { QStringLiteral("com.apple.Music"), QStringLiteral("Music"), QStringLiteral("com.apple.Music.playerInfo"), false },
        { QStringLiteral("com.spotify.client"), QStringLiteral("Spotify"),
            QStringLiteral("com.spotify.client.PlaybackStateChanged"), true },
    };
    return table;
}

AppleScriptMediaClient::AppleScriptMediaClient(ScriptRunner& scripts, PlayerNotificationCenter& notifications,
    RunningApplications& applications, WebLoader& web, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_scripts(scripts)
    , m_notifications(notifications)
    , m_applications(applications)
    , m_web(web)
    , m_clock(clock)
{
}

AppleScriptMediaClient::~AppleScriptMediaClient()
{
    for (const auto id : std::as_const(m_observers))
        m_notifications.removeObserver(id);
    cancelArtworkTask();
}

QString AppleScriptMediaClient::refreshScript(const Player& player)
{
    return QStringLiteral("tell application \"%1\"\n"
                          "    if player state is stopped then return \"\"\n"
                          "    set currentItem to current track\n"
                          "    return (name of currentItem) & tab & (artist of currentItem) & tab & (album of currentItem) & tab "
                          "& (player state as text)\n"
                          "end tell")
        .arg(player.applicationName);
}

QString AppleScriptMediaClient::timingScript(const Player& player)
{
    return QStringLiteral("tell application \"%1\" to return {player position, duration of current track}")
        .arg(player.applicationName);
}

QString AppleScriptMediaClient::commandScript(const Player& player, NowPlayingCommand command)
{
    QString verb;
    switch (command) {
    case NowPlayingCommand::playPause:
        verb = QStringLiteral("playpause");
        break;
    case NowPlayingCommand::nextTrack:
        verb = QStringLiteral("next track");
        break;
    case NowPlayingCommand::previousTrack:
        verb = QStringLiteral("previous track");
        break;
    }
    return QStringLiteral("tell application \"%1\" to %2").arg(player.applicationName, verb);
}

QString AppleScriptMediaClient::seekScript(const Player& player, double seconds)
{
    return QStringLiteral("tell application \"%1\" to set player position to %2")
        .arg(player.applicationName, QString::asprintf("%.2f", std::max(seconds, 0.0)));
}

QString AppleScriptMediaClient::artworkScript(const Player& player)
{
    if (player.applicationName == QLatin1String("Music"))
        return QStringLiteral("tell application \"Music\" to get raw data of artwork 1 of current track");
    return QStringLiteral("tell application \"%1\" to get artwork url of current track").arg(player.applicationName);
}

void AppleScriptMediaClient::startObserving()
{
    if (!m_observers.isEmpty())
        return;
    for (const Player& player : players()) {
        QPointer<AppleScriptMediaClient> self(this);
        m_observers.append(m_notifications.addObserver(player.notificationName, [self, player](const QVariantMap& userInfo) {
            if (self)
                self->handleNotification(player, userInfo);
        }));
    }
}

void AppleScriptMediaClient::stopObserving()
{
    for (const auto id : std::as_const(m_observers))
        m_notifications.removeObserver(id);
    m_observers.clear();
    cancelArtworkTask();
    m_isActive = false;
    m_activePlayer.reset();
    m_currentTrack.reset();
}

void AppleScriptMediaClient::activate()
{
    m_isActive = true;
    refreshFromRunningPlayers();
    if (m_activePlayer && m_currentTrack && !m_currentTrack->artworkData)
        loadArtwork(*m_activePlayer, m_currentTrack->title);
}

bool AppleScriptMediaClient::isRunning(const Player& player) const
{
    return m_applications.isRunning(player.bundleIdentifier);
}

void AppleScriptMediaClient::send(NowPlayingCommand command)
{
    if (!m_activePlayer || !isRunning(*m_activePlayer))
        return;
    runScript(commandScript(*m_activePlayer, command));
}

void AppleScriptMediaClient::seek(double seconds)
{
    if (!m_activePlayer || !isRunning(*m_activePlayer))
        return;
    runScript(seekScript(*m_activePlayer, seconds));
}

std::optional<QVariant> AppleScriptMediaClient::runScript(const QString& source)
{
    QString error;
    auto result = m_scripts.run(source, &error);
    if (!result && !error.isEmpty())
        qCCritical(lcNowPlaying, "AppleScript failed: %s", qUtf8Printable(error));
    return result;
}

void AppleScriptMediaClient::handleNotification(const Player& player, const QVariantMap& userInfo)
{
    handleUpdate(player, stringEntry(userInfo, "Player State"), stringEntry(userInfo, "Name"), stringEntry(userInfo, "Artist"),
        stringEntry(userInfo, "Album"));
}

void AppleScriptMediaClient::handleUpdate(const Player& player, const std::optional<QString>& state,
    const std::optional<QString>& title, const std::optional<QString>& artist, const std::optional<QString>& album)
{
    if (state != QLatin1String("Playing") && state != QLatin1String("Paused")) {
        // One player's stop does not end another player's track.
        if (!m_activePlayer || *m_activePlayer == player) {
            m_activePlayer.reset();
            cancelArtworkTask();
            publish(std::nullopt);
        }
        return;
    }
    const QString trimmed = title ? title->trimmed() : QString();
    if (trimmed.isEmpty())
        return;

    const bool sameTrack
        = m_activePlayer == player && m_currentTrack && m_currentTrack->title == trimmed && m_currentTrack->artist == artist;
    m_activePlayer = player;

    NowPlayingTrack track;
    track.title = trimmed;
    track.artist = artist;
    track.album = album;
    if (sameTrack) {
        track.artworkData = m_currentTrack->artworkData;
        track.duration = m_currentTrack->duration;
    }
    track.isPlaying = state == QLatin1String("Playing");
    track.sourceBundleIdentifier = player.bundleIdentifier;
    track.playbackRate = 1.0;
    publish(track);

    refreshTiming(player, trimmed);
    if (!sameTrack)
        loadArtwork(player, trimmed);
}

void AppleScriptMediaClient::publish(const std::optional<NowPlayingTrack>& track)
{
    if (track == m_currentTrack)
        return;
    m_currentTrack = track;
    Q_EMIT trackChanged(m_currentTrack);
}

void AppleScriptMediaClient::refreshFromRunningPlayers()
{
    for (const Player& player : players()) {
        if (!isRunning(player))
            continue;
        const auto result = runScript(refreshScript(player));
        if (!result)
            continue;
        const QString text = result->toString();
        if (text.isEmpty())
            continue;
        const QStringList parts = text.split(QLatin1Char('\t'));
        if (parts.size() != 4)
            continue;
        const QString state = parts[3] == QLatin1String("playing") ? QStringLiteral("Playing") : QStringLiteral("Paused");
        handleUpdate(player, state, parts[0], parts[1], parts[2]);
        if (state == QLatin1String("Playing"))
            break;
    }
}

void AppleScriptMediaClient::refreshTiming(const Player& player, const QString& title)
{
    if (!m_isActive || !isRunning(player))
        return;
    const auto result = runScript(timingScript(player));
    if (!result || result->typeId() != QMetaType::QVariantList)
        return;
    const QVariantList items = result->toList();
    if (items.size() != 2)
        return;
    const auto position = numberItem(items[0]);
    auto duration = numberItem(items[1]);
    if (!position || !duration)
        return;
    if (!m_currentTrack || m_currentTrack->title != title)
        return;
    if (player.reportsDurationInMilliseconds)
        *duration /= 1000.0;

    NowPlayingTrack track = *m_currentTrack;
    track.elapsedTime = *position;
    track.elapsedTimestamp = m_clock.now();
    track.duration = *duration > 0 ? std::optional<double>(*duration) : std::nullopt;
    publish(track);
}

void AppleScriptMediaClient::cancelArtworkTask()
{
    if (m_artworkTask)
        m_web.cancel(*std::exchange(m_artworkTask, std::nullopt));
}

void AppleScriptMediaClient::loadArtwork(const Player& player, const QString& title)
{
    cancelArtworkTask();
    if (!m_isActive || !isRunning(player))
        return;

    if (player.bundleIdentifier == QLatin1String("com.apple.Music")) {
        const auto result = runScript(artworkScript(player));
        applyArtwork(result ? std::optional<QByteArray>(result->toByteArray()) : std::nullopt, title);
        return;
    }
    if (player.bundleIdentifier != QLatin1String("com.spotify.client"))
        return;

    const auto result = runScript(artworkScript(player));
    if (!result)
        return;
    const QUrl url(result->toString(), QUrl::StrictMode);
    if (!url.isValid() || url.scheme() != QLatin1String("https") || url.host().isEmpty())
        return;
    QPointer<AppleScriptMediaClient> self(this);
    m_artworkTask = m_web.load(url, [self, title](const std::optional<QByteArray>& data, const QString& error) {
        if (!self)
            return;
        self->m_artworkTask.reset();
        if (!data) {
            qCCritical(lcNowPlaying, "Unable to load Spotify artwork: %s", qUtf8Printable(error));
            return;
        }
        self->applyArtwork(data, title);
    });
}

void AppleScriptMediaClient::applyArtwork(const std::optional<QByteArray>& bytes, const QString& title)
{
    if (!bytes || !m_currentTrack || m_currentTrack->title != title)
        return;
    NowPlayingTrack track = *m_currentTrack;
    track.artworkData = *bytes;
    publish(track);
}
