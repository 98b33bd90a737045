#include "OneShotCommand.h"

#include "MprisValues.h"
#include "adapter_interface.h"
#include "dbus_interface.h"
#include "mpris_player_interface.h"
#include "properties_interface.h"

#include <QDBusObjectPath>
#include <QDBusVariant>

#include <cstdio>

namespace {

const QString playerInterface = QStringLiteral("org.mpris.MediaPlayer2.Player");
const QString objectPath = QStringLiteral("/org/mpris/MediaPlayer2");
constexpr int callTimeoutMs = 2000;

int fail(const QString& message)
{
    std::fprintf(stderr, "nowplaying-adapter: %s\n", qUtf8Printable(message));
    return 1;
}

QVariant property(const QDBusConnection& bus, const QString& busName, const QString& name, QString* error = nullptr)
{
    OrgFreedesktopDBusPropertiesInterface properties(busName, objectPath, bus);
    properties.setTimeout(callTimeoutMs);
    QDBusPendingReply<QDBusVariant> reply = properties.Get(playerInterface, name);
    reply.waitForFinished();
    if (reply.isError()) {
        if (error)
            *error = reply.error().message();
        return {};
    }
    return reply.value().variant();
}

int finish(QDBusPendingReply<> reply, const QString& what)
{
    reply.waitForFinished();
    if (reply.isError())
        return fail(QStringLiteral("%1 failed: %2").arg(what, reply.error().message()));
    return 0;
}

} // namespace

namespace OneShotCommand {

QString currentPlayer(const QDBusConnection& bus)
{
    // A running stream knows which player it shows.
    ComLarkmoorBrimwellNowPlayingAdapterInterface stream(QStringLiteral("com.larkmoor.Brimwell.NowPlayingAdapter"),
        QStringLiteral("/com/larkmoor/Brimwell/NowPlayingAdapter"), bus);
    stream.setTimeout(callTimeoutMs);
    QDBusPendingReply<QString> shown = stream.CurrentPlayer();
    shown.waitForFinished();
    if (!shown.isError() && MprisValues::isPlayerBusName(shown.value()))
        return shown.value();

    OrgFreedesktopDBusInterface daemon(QStringLiteral("org.freedesktop.DBus"), QStringLiteral("/org/freedesktop/DBus"), bus);
    daemon.setTimeout(callTimeoutMs);
    QDBusPendingReply<QStringList> names = daemon.ListNames();
    names.waitForFinished();
    if (names.isError())
        return {};
    QString paused;
    QString any;
    for (const QString& name : names.value()) {
        if (!MprisValues::isPlayerBusName(name))
            continue;
        const auto status = MprisValues::text(property(bus, name, QStringLiteral("PlaybackStatus")));
        if (status == QLatin1String("Playing"))
            return name;
        if (status == QLatin1String("Paused") && paused.isEmpty())
            paused = name;
        if (any.isEmpty())
            any = name;
    }
    return paused.isEmpty() ? any : paused;
}

int send(const QDBusConnection& bus, const QString& code)
{
    if (code != QLatin1String("2") && code != QLatin1String("4") && code != QLatin1String("5"))
        return fail(QStringLiteral("unknown command code \"%1\"").arg(code));
    const QString busName = currentPlayer(bus);
    if (busName.isEmpty())
        return fail(QStringLiteral("no media player on the session bus"));
    OrgMprisMediaPlayer2PlayerInterface player(busName, objectPath, bus);
    player.setTimeout(callTimeoutMs);
    if (code == QLatin1String("2"))
        return finish(player.PlayPause(), QStringLiteral("PlayPause"));
    if (code == QLatin1String("4"))
        return finish(player.Next(), QStringLiteral("Next"));
    return finish(player.Previous(), QStringLiteral("Previous"));
}

int seek(const QDBusConnection& bus, const QString& micros)
{
    bool ok = false;
    const qint64 position = micros.toLongLong(&ok);
    if (!ok || position < 0)
        return fail(QStringLiteral("invalid position \"%1\"").arg(micros));
    const QString busName = currentPlayer(bus);
    if (busName.isEmpty())
        return fail(QStringLiteral("no media player on the session bus"));

    QString error;
    const QVariantMap metadata = MprisValues::toMap(property(bus, busName, QStringLiteral("Metadata"), &error));
    const auto trackId = MprisValues::trackId(metadata.value(QStringLiteral("mpris:trackid")));
    OrgMprisMediaPlayer2PlayerInterface player(busName, objectPath, bus);
    player.setTimeout(callTimeoutMs);
    if (trackId && QDBusObjectPath(*trackId).path() == *trackId)
        return finish(player.SetPosition(QDBusObjectPath(*trackId), position), QStringLiteral("SetPosition"));

    // Without a track id SetPosition cannot be used; a relative seek from
    // the current position reaches the same place.
    const auto current = MprisValues::integer(property(bus, busName, QStringLiteral("Position"), &error));
    if (!current)
        return fail(QStringLiteral("the player reports neither a track id nor a position: %1").arg(error));
    return finish(player.Seek(position - *current), QStringLiteral("Seek"));
}

} // namespace OneShotCommand
