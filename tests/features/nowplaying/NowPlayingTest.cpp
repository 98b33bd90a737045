#include "ArtworkDecoder.h"
#include "ArtworkImage.h"
#include "AudioWave.h"
#include "LogCapture.h"
#include "MprisPlayerChoice.h"
#include "MprisValues.h"
#include "NowPlayingImageProvider.h"
#include "NowPlayingPresentation.h"
#include "NowPlayingProgress.h"
#include "NowPlayingRig.h"
#include "NowPlayingService.h"
#include "NowPlayingTrack.h"

#include <QDBusObjectPath>
#include <QDBusVariant>
#include <QFile>
#include <QPainter>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

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
    for (const auto& [seconds, text] : { std::pair(59.9, "0:59"), { 3599, "59:59" }, { 3600, "1:00:00" }, { 3725, "1:02:05" } })
        EXPECT_EQ(NowPlayingPresentation::format(seconds), QLatin1String(text));

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

    EXPECT_EQ(joinedTexts(QVariant(QStringList { "Ann", " ", "Bob " })), QStringLiteral("Ann, Bob"));
    EXPECT_EQ(joinedTexts(QVariant(QStringLiteral("Solo"))), QStringLiteral("Solo"));
    EXPECT_FALSE(joinedTexts(QVariant(QStringList {})));
    EXPECT_FALSE(joinedTexts(QVariant(42)));
    EXPECT_FALSE(text(QVariant(QStringLiteral("  "))));
    EXPECT_EQ(trackId(QVariant::fromValue(QDBusObjectPath(QStringLiteral("/t/1")))), QStringLiteral("/t/1"));
    EXPECT_EQ(trackId(QVariant(QStringLiteral("spotify:track:1"))), QStringLiteral("spotify:track:1"));
    EXPECT_TRUE(toMap(QVariant(5)).isEmpty());

    // The proxy playerctld is no player; a name that shares the prefix without the dot is none either.
    for (const auto& [suffix, player] :
        { std::pair(".v", true), { ".playerctld", false }, { ".playerctld2", true }, { ".", false }, { "vlc", false } })
        EXPECT_EQ(isPlayerBusName(QStringLiteral("org.mpris.MediaPlayer2") + QLatin1String(suffix)), player) << suffix;
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
    // No length, the position raised to 0, and CanSeek false: a text is no flag.
    EXPECT_EQ(snapshot(state),
        (MediaPlayerState { .player = QStringLiteral("vlc"),
            .title = QStringLiteral("Song"),
            .positionMicros = 0,
            .positionReadAt = now,
            .canGoNext = true }));

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

namespace {

class ServiceFixture : public ::testing::Test, protected NowPlayingRig {
protected:
    void SetUp() override { build(clock); }

    MediaPlayerState track(const char* title, bool playing, double elapsed = 10)
    {
        MediaPlayerState t;
        t.player = QStringLiteral("vlc");
        t.title = QString::fromUtf8(title);
        t.artist = QStringLiteral("Artist");
        t.isPlaying = playing;
        t.lengthMicros = 60'000'000;
        t.positionMicros = qint64(elapsed * 1e6);
        t.positionReadAt = clock.now();
        t.processIdentifier = 77;
        return t;
    }
    void report(const std::optional<MediaPlayerState>& t) { players.show(t); }
    double shownPosition() const { return *service->track()->elapsed(clock.now()); }
};

} // namespace

TEST(ArtworkDecoding, AccentAveragesTheImageAndDecodesNoLargerThanDrawnNorAbsurdHeaders)
{
    QImage image(2, 1, QImage::Format_ARGB32);
    image.setPixel(0, 0, qRgb(255, 0, 0));
    image.setPixel(1, 0, qRgb(0, 0, 0));
    const auto accent = ArtworkDecoder::accentColor(image);
    ASSERT_TRUE(accent);
    EXPECT_EQ(accent->name(), QStringLiteral("#cc0000")); // average #800000, brightness raised to 0.8

    QImage faded(1, 1, QImage::Format_ARGB32);
    faded.setPixel(0, 0, qRgba(100, 200, 100, 128)); // transparency darkens the premultiplied average
    const auto tint = ArtworkDecoder::accentColor(faded);
    ASSERT_TRUE(tint);
    EXPECT_NEAR(tint->hsvSaturationF(), std::min(0.5 * 1.25, 1.0), 0.01);
    EXPECT_NEAR(tint->valueF(), 0.8, 0.01);

    EXPECT_FALSE(ArtworkDecoder::accentColor(QImage()));
    EXPECT_TRUE(ArtworkDecoder::decodeNow(QByteArray("not an image")).image.isNull());

    // Scaled while decoding, just covering the drawn square, aspect kept.
    const auto decoded = [](QSize size) {
        return ArtworkDecoder::decodeNow(TestImages::png(TestImages::filled(size, Qt::red)), QSize(192, 192)).image.size();
    };
    EXPECT_EQ(decoded(QSize(1200, 600)), QSize(384, 192));
    EXPECT_EQ(decoded(QSize(50, 50)), QSize(50, 50));

    // A header claiming more than 6000 x 6000 pixels is refused unread; one
    // at the bound is tried (and, cut short, gives no image).
    LogCapture log;
    const auto claiming = [](const char* size) {
        return ArtworkDecoder::decodeNow(QByteArray("P6\n") + size + "\n255\n" + QByteArray(64, '\0'));
    };
    EXPECT_TRUE(claiming("6000 6000").image.isNull());
    EXPECT_FALSE(log.mentions(QStringLiteral("Ignoring artwork of")));
    const ArtworkDecoder::Result absurd = claiming("6000 6001");
    EXPECT_TRUE(absurd.image.isNull());
    EXPECT_FALSE(absurd.accentColor);
    ASSERT_TRUE(log.mentions(QStringLiteral("Ignoring artwork of 6000x6001 pixels")));
    EXPECT_EQ(log.entries.back().level, Log::Level::error);
}

TEST_F(ServiceFixture, ShortGapsAreNotDrawnAndActivityFallsAfterItsGrace)
{
    service->start();
    report(track("A", true));
    EXPECT_TRUE(service->isActive());
    report(std::nullopt);
    clock.advance(300);
    EXPECT_EQ(service->track()->title, QStringLiteral("A"));
    report(track("B", true));
    EXPECT_EQ(service->track()->title, QStringLiteral("B"));
    clock.advance(5000);
    EXPECT_TRUE(service->isActive());

    QSignalSpy activity(service.get(), &NowPlayingService::isActiveChanged);
    report(std::nullopt);
    clock.advance(999);
    EXPECT_TRUE(service->track());
    clock.advance(1);
    EXPECT_FALSE(service->track());
    clock.advance(1499);
    EXPECT_TRUE(service->isActive());
    clock.advance(1);
    EXPECT_FALSE(service->isActive());
    EXPECT_EQ(activity.count(), 1);
}

TEST_F(ServiceFixture, PlayPauseIsOptimisticUntilConfirmedOrExpired)
{
    service->start();
    report(track("A", true, 10));
    clock.advance(2000);
    service->send(NowPlayingCommand::playPause);
    EXPECT_FALSE(service->track()->isPlaying);
    EXPECT_DOUBLE_EQ(shownPosition(), 12);
    clock.advance(1000);
    EXPECT_DOUBLE_EQ(shownPosition(), 12); // frozen while paused

    // The player ignored it: the reported state returns after 1.5 s.
    clock.advance(499);
    EXPECT_FALSE(service->track()->isPlaying);
    clock.advance(1);
    EXPECT_TRUE(service->track()->isPlaying);

    // Confirmed within the window: no later jump back.
    service->send(NowPlayingCommand::playPause);
    clock.advance(400);
    MediaPlayerState paused = track("A", false, 13.9);
    report(paused);
    clock.advance(2000);
    EXPECT_FALSE(service->track()->isPlaying);
    EXPECT_NEAR(shownPosition(), 13.9, 1e-9);
    EXPECT_FALSE(service->isActive()); // 1.5 s after the pause showed

    // A pause without fresh timing (the playing report's time and stamp) keeps the position the user saw.
    MediaPlayerState playing = track("A", true, 10);
    report(playing);
    clock.advance(5000);
    playing.isPlaying = false;
    report(playing);
    EXPECT_FALSE(service->track()->isPlaying);
    EXPECT_DOUBLE_EQ(shownPosition(), 15);
    clock.advance(3000);
    EXPECT_DOUBLE_EQ(shownPosition(), 15);
}

TEST_F(ServiceFixture, SeeksClampJumpAndWaitForConfirmation)
{
    service->start();
    report(track("A", true, 10));
    service->seek(90);
    EXPECT_DOUBLE_EQ(shownPosition(), 60);
    service->seek(-5);
    EXPECT_DOUBLE_EQ(shownPosition(), 0);

    service->seek(30);
    clock.advance(500);
    report(track("A", true, 10.4)); // stale: the optimistic position stays
    EXPECT_NEAR(shownPosition(), 30.5, 1e-9);
    clock.advance(500);
    for (const double atTheTolerance : { 32.5, 29.5 }) {
        report(track("A", true, atTheTolerance)); // 1.5 s off 31: not yet
        EXPECT_NEAR(shownPosition(), 31, 1e-9);
    }
    report(track("A", true, 31.6)); // within 1.5 s of 31: confirmed
    clock.advance(1000);
    EXPECT_NEAR(shownPosition(), 32.6, 1e-9);

    service->seek(40);
    clock.advance(200);
    report(track("A", true, 11));
    clock.advance(1299);
    EXPECT_NEAR(shownPosition(), 41.499, 1e-9); // still pending
    clock.advance(1); // expired: the source's position shows again
    EXPECT_NEAR(shownPosition(), 12.3, 1e-9);
}

TEST_F(ServiceFixture, ArtworkAndSourceApplicationFollowTheTrack)
{
    const QImage red = TestImages::filled(QSize(4, 4), Qt::red);
    const QPixmap icon = QPixmap::fromImage(TestImages::filled(QSize(16, 16), Qt::blue));
    catalog.installed.insert(QStringLiteral("vlc"), ApplicationInfo { QIcon(icon), QStringLiteral("VLC") });
    catalog.running.insert(5, ApplicationInfo { QIcon(), QStringLiteral("mpv") });
    service->start();

    MediaPlayerState a = track("A", true);
    a.artUrl = dataUrl(png(red));
    report(a);
    ASSERT_TRUE(service->accentColor());
    EXPECT_EQ(service->accentColor()->name(), QStringLiteral("#ff0000"));
    EXPECT_EQ(service->sourceName(), QStringLiteral("VLC"));
    EXPECT_TRUE(service->sourceIcon());

    a.positionMicros = 20'000'000; // same cover, same application
    report(a);
    EXPECT_EQ(std::pair(service->artworkID(), catalog.lookups), std::pair(1, 1));
    NowPlayingImageProvider images(service.get());
    QSize size;
    EXPECT_EQ(images.requestImage(QStringLiteral("artwork/1"), &size, QSize()).pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(size, QSize(4, 4));
    EXPECT_FALSE(images.requestImage(QStringLiteral("sourceIcon/1"), &size, QSize(18, 18)).isNull());

    a.artUrl = dataUrl("garbage");
    report(a);
    EXPECT_EQ(service->artworkID(), 2);
    EXPECT_TRUE(images.requestImage(QStringLiteral("artwork/2"), &size, QSize()).isNull());
    EXPECT_FALSE(service->accentColor());
    a.artUrl.reset();
    report(a);
    EXPECT_EQ(service->artworkID(), 3);

    MediaPlayerState other = track("B", true);
    other.player = QStringLiteral("mpv-unknown");
    other.processIdentifier = 5;
    report(other);
    EXPECT_EQ(catalog.lookups, 3); // by identifier, then by process
    EXPECT_EQ(service->sourceName(), QStringLiteral("mpv"));
    EXPECT_FALSE(service->sourceIcon());

    service->activateSource();
    EXPECT_EQ(catalog.activated, QList<qint32> { 5 });
    report(a);
    LogCapture log;
    catalog.openError = QStringLiteral("no such file");
    service->activateSource();
    EXPECT_EQ(catalog.opened, QStringList { QStringLiteral("vlc") });
    EXPECT_TRUE(log.contains(QStringLiteral("Unable to open source app: no such file")));

    // Artwork comes from regular files, data and https only.
    QTemporaryDir dir;
    ASSERT_TRUE(red.save(dir.filePath(QStringLiteral("cover.png"))));
    a = track("A", true);
    a.artUrl = QUrl::fromLocalFile(dir.filePath(QStringLiteral("cover.png"))).toString();
    report(a);
    ASSERT_TRUE(service->accentColor());
    EXPECT_EQ(service->accentColor()->name(), QStringLiteral("#ff0000"));

    a.artUrl = QStringLiteral("file:///dev/zero");
    report(a);
    EXPECT_FALSE(service->artwork());
    EXPECT_TRUE(log.contains(QStringLiteral("Ignoring artwork /dev/zero: not a regular file of at most 5242880 bytes")));

    a.artUrl = QStringLiteral("https://covers.example/b.png");
    report(a);
    ASSERT_EQ(web.requested, QList<QUrl> { QUrl(QStringLiteral("https://covers.example/b.png")) });
    EXPECT_TRUE(web.finish(png(red)));
    EXPECT_TRUE(service->artwork());

    a.artUrl = QStringLiteral("http://covers.example/c.png");
    report(a);
    EXPECT_EQ(web.requested.size(), 1); // plain http is never fetched
    EXPECT_TRUE(log.contains(QStringLiteral("Ignoring artwork at a http address")));
    EXPECT_FALSE(service->artwork());

    // A download overtaken by the next cover is dropped, not shown late.
    a.artUrl = QStringLiteral("https://covers.example/d.png");
    report(a);
    a.artUrl = cover(Qt::green);
    report(a);
    EXPECT_EQ(web.pendingCount(), 0);
    EXPECT_EQ(service->accentColor()->name(), QStringLiteral("#00ff00"));
}

TEST_F(ServiceFixture, BackgroundDecodingShowsOnlyTheNewestCoverAndNeverTheLastTracks)
{
    build(clock, heldWork());
    service->start();
    MediaPlayerState a = track("A", true);
    a.artUrl = cover(Qt::green);
    report(a);
    a.artUrl = cover(Qt::blue);
    report(a);
    ASSERT_EQ(heldWorkCount(), 2);
    runHeldWork({ 1, 0 }); // the stale decode finishes last; it must not win
    EXPECT_EQ(service->artworkID(), 1);
    EXPECT_EQ(service->accentColor()->name(), QStringLiteral("#0000ff"));

    MediaPlayerState b = track("B", true);
    b.artUrl = cover(Qt::red);
    report(b);
    EXPECT_EQ(service->track()->title, QStringLiteral("B"));
    EXPECT_FALSE(service->artwork()); // the placeholder until the new cover is decoded
    EXPECT_FALSE(service->accentColor());
    runHeldWork({ 0 });
    ASSERT_TRUE(service->artwork().has_value());
    EXPECT_EQ(service->accentColor()->name(), QStringLiteral("#ff0000"));
    EXPECT_EQ(service->artworkID(), 2);
}

TEST_F(ServiceFixture, ProgressRunsItsTimelineOnlyWhilePlayingAndSeeksOnRelease)
{
    NowPlayingProgress progress(clock, clock);
    progress.setService(service.get());
    EXPECT_EQ(progress.elapsedLabel(), QStringLiteral("--:--"));
    EXPECT_FALSE(progress.isTimelineRunning());
    service->start();
    report(track("Song", true, 10));
    EXPECT_TRUE(progress.isTimelineRunning());
    QSignalSpy ticks(&progress, &NowPlayingProgress::positionChanged);
    clock.advance(1000);
    EXPECT_EQ(ticks.count(), 20); // every 0.05 s
    EXPECT_EQ(progress.elapsedLabel(), QStringLiteral("0:11"));
    EXPECT_EQ(progress.remainingLabel(), QStringLiteral("-0:49"));
    EXPECT_NEAR(progress.fraction(), 11.0 / 60, 1e-9);

    progress.drag(0.5);
    EXPECT_FALSE(progress.isTimelineRunning());
    EXPECT_EQ(progress.elapsedLabel(), QStringLiteral("0:30"));
    progress.endDrag();
    EXPECT_TRUE(progress.isTimelineRunning());
    EXPECT_NEAR(progress.position(), 30, 1e-9); // the service's optimistic seek

    // A hidden row keeps still; a drag taken away seeks nowhere.
    progress.setActive(false);
    EXPECT_FALSE(progress.isTimelineRunning());
    progress.setActive(true);
    progress.drag(0.9);
    progress.cancelDrag();
    EXPECT_TRUE(progress.isTimelineRunning());
    EXPECT_NEAR(progress.position(), 30, 1e-9);

    MediaPlayerState noLength = track("Song", true, 5);
    noLength.lengthMicros.reset();
    report(noLength);
    EXPECT_EQ(progress.remainingLabel(), QStringLiteral("--:--"));
    progress.drag(0.7); // no duration: drags do nothing, nor seek on release
    EXPECT_TRUE(progress.isTimelineRunning());
    progress.endDrag();
    EXPECT_DOUBLE_EQ(progress.fraction(), 0);
    EXPECT_EQ(players.commands, QStringList { QStringLiteral("SetPosition 30000000") });
    noLength.isPlaying = false;
    report(noLength);
    EXPECT_FALSE(progress.isTimelineRunning());
    ticks.clear();
    clock.advance(1000);
    EXPECT_EQ(ticks.count(), 0);
}

TEST_F(ServiceFixture, CommandsGoToTheShownPlayerWhoseNameIsPublished)
{
    service->start();
    EXPECT_TRUE(players.watching);
    report(track("A", true, 10));
    EXPECT_EQ(service->playerName(), QStringLiteral("vlc"));
    service->send(NowPlayingCommand::nextTrack);
    service->send(NowPlayingCommand::previousTrack);
    service->send(NowPlayingCommand::playPause);
    service->seek(12.5);
    service->seek(-1);
    EXPECT_EQ(players.commands,
        (QStringList { QStringLiteral("Next"), QStringLiteral("Previous"), QStringLiteral("PlayPause"),
            QStringLiteral("SetPosition 12500000"), QStringLiteral("SetPosition 0") }));

    // A player without a title shows nothing, after the usual gap.
    report(track("", true));
    clock.advance(1000);
    EXPECT_FALSE(service->track());
    EXPECT_TRUE(service->playerName().isEmpty());

    service->setPlayerPreferences(QStringLiteral("mpv"), { QStringLiteral("vlc") });
    EXPECT_EQ(players.preferences, std::make_pair(QStringLiteral("mpv"), QStringList { QStringLiteral("vlc") }));
    service->stop();
    EXPECT_FALSE(players.watching);
}
