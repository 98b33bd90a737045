#include "MprisValues.h"
#include "ArtworkDecoder.h"

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
    EXPECT_TRUE(isPlayerBusName(QStringLiteral("org.mpris.MediaPlayer2.v")));
    EXPECT_FALSE(isPlayerBusName(QStringLiteral("org.mpris.MediaPlayer2vlc"))); // shares the prefix, not the dot
    EXPECT_TRUE(isPlayerBusName(QStringLiteral("org.mpris.MediaPlayer2.playerctld2")));
    EXPECT_EQ(busNameSuffix(QStringLiteral("org.mpris.MediaPlayer2.chromium.instance7")), QStringLiteral("chromium.instance7"));
}

TEST(MprisValues, PropertiesApplyWholeOrAsChangesAndStoppedPlayersShowNothing)
{
    const QDateTime now = QDateTime::fromMSecsSinceEpoch(1'700'000'000'000, Qt::UTC);
    PlayerState state;
    state.busName = QStringLiteral("org.mpris.MediaPlayer2.vlc.instance42");
    const QVariantMap all { { QStringLiteral("PlaybackStatus"), QStringLiteral("Paused") },
        { QStringLiteral("Metadata"),
            QVariantMap { { QStringLiteral("xesam:title"), QStringLiteral(" Song ") },
                { QStringLiteral("mpris:length"), qlonglong(-5) } } },
        { QStringLiteral("Position"), qlonglong(-20) }, // some players report garbage before the first play
        { QStringLiteral("CanGoNext"), true }, { QStringLiteral("CanSeek"), QStringLiteral("yes") } };
    Applied applied = applyPlayerProperties(state, all, true, now);
    EXPECT_TRUE(applied.touched && applied.statusChanged && applied.trackChanged);
    MediaPlayerState shown = snapshot(state);
    EXPECT_EQ(shown.player, QStringLiteral("vlc"));
    EXPECT_EQ(shown.title, QStringLiteral("Song"));
    EXPECT_FALSE(shown.isPlaying);
    EXPECT_FALSE(shown.lengthMicros);
    EXPECT_EQ(shown.positionMicros, 0);
    EXPECT_EQ(shown.positionReadAt, now);
    EXPECT_EQ(shown.rate, 1.0);
    EXPECT_TRUE(shown.canGoNext);
    EXPECT_FALSE(shown.canSeek); // a text is no flag
    EXPECT_FALSE(shown.canGoPrevious);

    // A change touches only what it names; the same title again is no new track.
    applied = applyPlayerProperties(state, { { QStringLiteral("PlaybackStatus"), QStringLiteral("Playing") } }, false, now);
    EXPECT_TRUE(applied.statusChanged);
    EXPECT_FALSE(applied.trackChanged);
    EXPECT_TRUE(snapshot(state).canGoNext);
    EXPECT_FALSE(applyPlayerProperties(state, { { QStringLiteral("Volume"), 0.5 } }, false, now).touched);
    // A whole answer older than a signalled change leaves what was signalled.
    applyPlayerProperties(state, all, true, now.addSecs(1), { QStringLiteral("PlaybackStatus"), QStringLiteral("Position") });
    EXPECT_TRUE(snapshot(state).isPlaying);
    EXPECT_EQ(snapshot(state).positionReadAt, now);
    // GetAll without a value: it becomes unknown.
    applyPlayerProperties(state, { { QStringLiteral("PlaybackStatus"), QStringLiteral("Playing") } }, true, now);
    EXPECT_TRUE(snapshot(state).title.isEmpty());
    EXPECT_FALSE(snapshot(state).canGoNext);

    state.status = QStringLiteral("Stopped");
    state.metadata = { { QStringLiteral("xesam:title"), QStringLiteral("Song") } };
    EXPECT_TRUE(snapshot(state).title.isEmpty());
    EXPECT_EQ(playerName(QStringLiteral("org.mpris.MediaPlayer2.firefox.instance_1_23")), QStringLiteral("firefox"));
    EXPECT_EQ(playerName(QStringLiteral("org.mpris.MediaPlayer2.instantly")), QStringLiteral("instantly"));
}

TEST(MprisValues, ArtworkAddressesAndFilesAreReadStrictly)
{
    EXPECT_EQ(ArtworkDecoder::dataUrlBytes(QStringLiteral("data:image/png;base64,aGk=")), QByteArray("hi"));
    EXPECT_EQ(ArtworkDecoder::dataUrlBytes(QStringLiteral("data:,a%20b")), QByteArray("a b"));
    EXPECT_FALSE(ArtworkDecoder::dataUrlBytes(QStringLiteral("data:image/png;base64,!!!")));
    EXPECT_FALSE(ArtworkDecoder::dataUrlBytes(QStringLiteral("data:image/png;base64")));
    EXPECT_FALSE(ArtworkDecoder::dataUrlBytes(QStringLiteral("data:,")));

    // Only regular files up to the bound: a FIFO would block for ever, a device never ends.
    QTemporaryDir dir;
    const QByteArray fifo = QFile::encodeName(dir.filePath(QStringLiteral("fifo.png")));
    ASSERT_EQ(::mkfifo(fifo.constData(), 0600), 0);
    EXPECT_FALSE(ArtworkDecoder::fileBytes(QString::fromLocal8Bit(fifo)));
    EXPECT_FALSE(ArtworkDecoder::fileBytes(QStringLiteral("/dev/zero")));
    EXPECT_FALSE(ArtworkDecoder::fileBytes(dir.path()));
    QFile big(dir.filePath(QStringLiteral("big.png")));
    ASSERT_TRUE(big.open(QIODevice::WriteOnly));
    ASSERT_TRUE(big.resize(ArtworkDecoder::maximumBytes));
    EXPECT_EQ(ArtworkDecoder::fileBytes(big.fileName())->size(), ArtworkDecoder::maximumBytes);
    ASSERT_TRUE(big.resize(ArtworkDecoder::maximumBytes + 1));
    EXPECT_FALSE(ArtworkDecoder::fileBytes(big.fileName()));
    const QString justOver = QStringLiteral("data:,") + QString(ArtworkDecoder::maximumBytes + 1, QLatin1Char('a'));
    EXPECT_FALSE(ArtworkDecoder::dataUrlBytes(justOver));
    EXPECT_TRUE(ArtworkDecoder::dataUrlBytes(justOver.chopped(1)));
}
