#include "ArtworkDecoder.h"
#include "ArtworkImage.h"
#include "AudioWave.h"
#include "MprisPlayerChoice.h"
#include "MprisValues.h"
#include "NowPlayingPresentation.h"
#include "NowPlayingService.h"
#include "NowPlayingTrack.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QPainter>
#include <QTemporaryDir>

#include <sys/stat.h>

#include <gtest/gtest.h>

using namespace MprisValues;
using Status = MprisPlayerChoice::Status;

TEST(NowPlayingTrack, ExtrapolatesOnlyWhilePlayingAndClampsToTheTrack)
{
    const QDateTime t0(QDate(2026, 1, 5), QTime(10, 0), Qt::UTC);
    NowPlayingTrack none;
    none.title = QStringLiteral("Song");
    none.isPlaying = true;
    none.duration = 100;
    EXPECT_FALSE(none.elapsed(t0.addSecs(5)));

    // Held at the duration from the moment it is reached; earlier than the timestamp, below zero reads as 0.
    const struct {
        double elapsed, rate;
        bool playing, stamped;
        std::optional<double> duration;
        qint64 afterMs;
        double shown;
    } cases[] = { { 10, 1, true, true, {}, 5000, 15 }, { 10, 2, true, true, {}, 5000, 20 }, { 10, 0, true, true, {}, 5000, 10 },
        { 10, 1, false, true, {}, 500'000, 10 }, { 10, 1, true, false, {}, 5000, 10 }, { 10, 1, true, true, {}, 6'000'000, 6010 },
        { 10, 1, true, true, 12, 1999, 11.999 }, { 10, 1, true, true, 12, 2000, 12 }, { 10, 1, true, true, 12, 60'000, 12 },
        { 2, 1, true, true, {}, -1999, 0.001 }, { 2, 1, true, true, {}, -2000, 0 }, { 2, 1, true, true, {}, -5000, 0 } };
    for (const auto& c : cases) {
        NowPlayingTrack track;
        track.title = QStringLiteral("Song");
        track.isPlaying = c.playing;
        track.elapsedTime = c.elapsed;
        if (c.stamped)
            track.elapsedTimestamp = t0;
        track.playbackRate = c.rate;
        track.duration = c.duration;
        EXPECT_NEAR(*track.elapsed(t0.addMSecs(c.afterMs)), c.shown, 1e-9) << c.elapsed << " after " << c.afterMs << " ms";
    }
}

TEST(AudioWaveMotion, BarsRiseAndFallOutOfStepForever)
{
    // Bar 0 starts at rest, is fully up after one duration and back down after two.
    EXPECT_DOUBLE_EQ(AudioWave::barScale(0, 0), 0.25);
    EXPECT_NEAR(AudioWave::barScale(0, 0.52), 1.0, 1e-6);
    EXPECT_NEAR(AudioWave::barScale(0, 0.26), 0.625, 1e-3); // eased symmetrically: half way at half time
    EXPECT_LT(AudioWave::barScale(0, 0.05), 0.25 + 0.75 * 0.05 / 0.52); // starts slowly
    EXPECT_NEAR(AudioWave::barScale(0, 1.04), 0.25, 1e-6);
    for (int i = 0; i < 4; ++i) {
        const double cycle = 2 * AudioWave::barDuration(i);
        for (double t : { 0.1, 0.37, 0.9 })
            EXPECT_NEAR(AudioWave::barScale(i, t), AudioWave::barScale(i, t + 7 * cycle), 1e-6) << i << " " << t;
    }
    // The other bars begin 0.13 s per bar into their cycle, so they are already apart.
    EXPECT_GT(AudioWave::barScale(1, 0), 0.25);
    EXPECT_GT(AudioWave::barScale(3, 0), AudioWave::barScale(2, 0));
    // Bar 2 (0.46 s each way) starts 0.26 s in: it tops at 0.2 s and falls after.
    EXPECT_NEAR(AudioWave::barScale(2, 0.2), 1.0, 1e-6);
    EXPECT_LT(AudioWave::barScale(2, 0.3), AudioWave::barScale(2, 0.2));
}

TEST(ArtworkFill, CoversTheFrameAndKeepsTheMiddle)
{
    QImage wide(300, 100, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QPainter(&wide).fillRect(100, 0, 100, 100, Qt::blue);
    const QImage square = ArtworkImage::filling(wide, QSize(50, 50));
    ASSERT_EQ(square.size(), QSize(50, 50));
    // Scaled to 150 × 50 and cropped to the middle third: all blue.
    EXPECT_EQ(QColor(square.pixel(1, 25)), QColor(Qt::blue));
    EXPECT_EQ(QColor(square.pixel(48, 25)), QColor(Qt::blue));
    EXPECT_TRUE(ArtworkImage::filling(QImage(), QSize(50, 50)).isNull());
    EXPECT_TRUE(ArtworkImage::filling(wide, QSize(0, 50)).isNull());
}

TEST(NowPlayingText, TimesSubtitlesAndLabels)
{
    EXPECT_EQ(NowPlayingPresentation::format(59.9), QStringLiteral("0:59"));
    EXPECT_EQ(NowPlayingPresentation::format(75), QStringLiteral("1:15"));
    EXPECT_EQ(NowPlayingPresentation::format(3599), QStringLiteral("59:59"));
    EXPECT_EQ(NowPlayingPresentation::format(3600), QStringLiteral("1:00:00"));
    EXPECT_EQ(NowPlayingPresentation::format(3725), QStringLiteral("1:02:05"));

    NowPlayingTrack t;
    t.title = QStringLiteral("T");
    EXPECT_EQ(NowPlayingPresentation::subtitle(t), QString());
    t.artist = QString();
    t.album = QStringLiteral("LP");
    EXPECT_EQ(NowPlayingPresentation::subtitle(t), QStringLiteral("LP"));
    t.artist = QStringLiteral("Ann");
    EXPECT_EQ(NowPlayingPresentation::subtitle(t), QStringLiteral("Ann · LP"));

    EXPECT_EQ(NowPlayingPresentation::sourceButtonLabel(QString()), QStringLiteral("Open player"));
    EXPECT_EQ(NowPlayingPresentation::sourceButtonLabel(QStringLiteral("VLC")), QStringLiteral("Open VLC"));
}

TEST(MprisPlayerChoice, TheLatestToStartPlayingWinsThenTheLatestToPause)
{
    const QString a = QStringLiteral(":1.1"), b = QStringLiteral(":1.2");
    MprisPlayerChoice choice;
    EXPECT_TRUE(choice.chosen().isEmpty());
    choice.add(a, QStringLiteral("vlc"));
    choice.add(b, QStringLiteral("spotify"));
    EXPECT_TRUE(choice.chosen().isEmpty()); // status not yet known
    // Both found paused: the order of names decides, the same every time.
    choice.setStatus(b, Status::paused);
    choice.setStatus(a, Status::paused);
    EXPECT_EQ(choice.chosen(), a);

    choice.setStatus(b, Status::playing);
    EXPECT_EQ(choice.chosen(), b);
    choice.setStatus(a, Status::playing);
    EXPECT_EQ(choice.chosen(), a);
    // The newest pauses: the other still plays and is shown.
    choice.setStatus(a, Status::paused);
    EXPECT_EQ(choice.chosen(), b);
    // Both paused: the one paused last.
    choice.setStatus(b, Status::paused);
    EXPECT_EQ(choice.chosen(), b);
    // Played and paused again, the other is now the one paused last.
    choice.setStatus(a, Status::playing);
    choice.setStatus(a, Status::paused);
    EXPECT_EQ(choice.chosen(), a);
    // A stopped player is never shown; one that goes away hands over.
    choice.setStatus(b, Status::stopped);
    EXPECT_EQ(choice.chosen(), a);
    choice.remove(a);
    EXPECT_TRUE(choice.chosen().isEmpty());
}

TEST(MprisPlayerChoice, PreferredPlayersWinOnlyWhilePlayingAndIgnoredOnesNeverShow)
{
    const QString a = QStringLiteral(":1.1"), b = QStringLiteral(":1.2"), c = QStringLiteral(":1.3");
    MprisPlayerChoice choice;
    choice.add(a, QStringLiteral("firefox"));
    choice.add(b, QStringLiteral("firefox")); // a second instance
    choice.add(c, QStringLiteral("mpv"));
    EXPECT_EQ(choice.names(), (QStringList { QStringLiteral("firefox"), QStringLiteral("mpv") }));

    choice.setPreferences(QStringLiteral("mpv"), {});
    choice.setStatus(c, Status::playing);
    choice.setStatus(a, Status::playing);
    EXPECT_EQ(choice.chosen(), c); // started earlier, but preferred
    choice.setStatus(c, Status::paused);
    EXPECT_EQ(choice.chosen(), a); // a paused preference yields to one that plays
    choice.setPreferences(QStringLiteral("mp"), {}); // a prefix is not the name: simply the newest
    choice.setStatus(c, Status::playing);
    choice.setStatus(a, Status::paused);
    choice.setStatus(a, Status::playing);
    EXPECT_EQ(choice.chosen(), a);

    choice.setPreferences(QStringLiteral("mpv"), { QStringLiteral("mpv") });
    EXPECT_EQ(choice.chosen(), a);
    choice.setPreferences({}, { QStringLiteral("mpv"), QStringLiteral("firefox") });
    EXPECT_TRUE(choice.chosen().isEmpty());
    EXPECT_EQ(choice.names().size(), 2); // still listed, so they can be shown again
}

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
