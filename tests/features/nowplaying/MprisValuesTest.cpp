#include "MprisValues.h"
#include "ArtworkCache.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QTemporaryDir>
#include <QUrl>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace MprisValues;

TEST(MprisValues, OddWireTypesAreReadOrRejected)
{
    EXPECT_EQ(integer(QVariant(qulonglong(5))), 5);
    EXPECT_EQ(integer(QVariant(uint(7))), 7);
    EXPECT_EQ(integer(QVariant(215.6)), 216);
    EXPECT_FALSE(integer(QVariant(QStringLiteral("215"))));
    EXPECT_FALSE(integer(QVariant(std::numeric_limits<qulonglong>::max())));
    EXPECT_FALSE(number(QVariant(std::nan(""))));
    EXPECT_EQ(number(QVariant::fromValue(QDBusVariant(QVariant(2.0)))), 2.0); // nested variant

    EXPECT_EQ(joinedTexts(QVariant(QStringList { QStringLiteral("Ann"), QStringLiteral(" "), QStringLiteral("Bob ") })),
        QStringLiteral("Ann, Bob"));
    EXPECT_EQ(joinedTexts(QVariant(QStringLiteral("Solo"))), QStringLiteral("Solo"));
    EXPECT_FALSE(joinedTexts(QVariant(QStringList {})));
    EXPECT_FALSE(joinedTexts(QVariant(42)));
    EXPECT_FALSE(text(QVariant(QStringLiteral("  "))));
    EXPECT_EQ(trackId(QVariant::fromValue(QDBusObjectPath(QStringLiteral("/t/1")))), QStringLiteral("/t/1"));
    EXPECT_EQ(trackId(QVariant(QStringLiteral("spotify:track:1"))), QStringLiteral("spotify:track:1"));
    EXPECT_TRUE(toMap(QVariant(5)).isEmpty());

    EXPECT_TRUE(isPlayerBusName(QStringLiteral("org.mpris.MediaPlayer2.vlc")));
    EXPECT_FALSE(isPlayerBusName(QStringLiteral("org.mpris.MediaPlayer2.playerctld")));
    EXPECT_FALSE(isPlayerBusName(QStringLiteral("org.mpris.MediaPlayer2.")));
    EXPECT_EQ(busNameSuffix(QStringLiteral("org.mpris.MediaPlayer2.chromium.instance7")), QStringLiteral("chromium.instance7"));
}

TEST(MprisValues, PayloadCarriesTheKeysTheProgramReads)
{
    PlayerState state;
    state.busName = QStringLiteral("org.mpris.MediaPlayer2.vlc");
    state.status = QStringLiteral("Paused");
    state.metadata
        = { { QStringLiteral("xesam:title"), QStringLiteral("Song") }, { QStringLiteral("mpris:length"), qlonglong(-5) } };
    state.positionMicros = -20; // some players report garbage before the first play
    const QJsonObject p = payload(state, std::nullopt);
    EXPECT_EQ(p.value(QLatin1String("title")).toString(), QStringLiteral("Song"));
    EXPECT_FALSE(p.value(QLatin1String("playing")).toBool());
    EXPECT_EQ(p.value(QLatin1String("bundleIdentifier")).toString(), QStringLiteral("vlc"));
    EXPECT_FALSE(p.contains(QLatin1String("durationMicros")));
    EXPECT_EQ(p.value(QLatin1String("elapsedTimeMicros")).toDouble(), 0);
    EXPECT_EQ(p.value(QLatin1String("playbackRate")).toDouble(), 1.0);
    EXPECT_FALSE(p.contains(QLatin1String("processIdentifier")));

    state.desktopEntry = QStringLiteral("org.videolan.VLC");
    EXPECT_EQ(payload(state, QStringLiteral("aGk=")).value(QLatin1String("bundleIdentifier")).toString(),
        QStringLiteral("org.videolan.VLC"));
    EXPECT_EQ(payload(state, QStringLiteral("aGk=")).value(QLatin1String("artworkData")).toString(), QStringLiteral("aGk="));
    state.status = QStringLiteral("Stopped");
    EXPECT_TRUE(payload(state, std::nullopt).isEmpty());
}

TEST(MprisValues, DataUrlsDecodeStrictly)
{
    EXPECT_EQ(ArtworkCache::decodeDataUrl(QStringLiteral("data:image/png;base64,aGk=")), QByteArray("hi"));
    EXPECT_EQ(ArtworkCache::decodeDataUrl(QStringLiteral("data:,a%20b")), QByteArray("a b"));
    EXPECT_FALSE(ArtworkCache::decodeDataUrl(QStringLiteral("data:image/png;base64,!!!")));
    EXPECT_FALSE(ArtworkCache::decodeDataUrl(QStringLiteral("data:image/png;base64")));
    ArtworkCache cache;
    EXPECT_FALSE(cache.artwork(QStringLiteral("http://127.0.0.1:9/plain.png"))); // never plain http
    EXPECT_FALSE(cache.artwork(QStringLiteral("file:///nonexistent/cover.png")));
    // Only regular files: a FIFO would block the stream for ever, a device never ends.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("cover.png")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_FALSE(cache.artwork(QUrl::fromLocalFile(QString::fromLocal8Bit(fifo)).toString()));
    EXPECT_FALSE(cache.artwork(QStringLiteral("file:///dev/zero")));
}
