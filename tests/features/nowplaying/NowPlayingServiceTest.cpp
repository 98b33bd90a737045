#include "ArtworkDecoder.h"
#include "AudioWave.h"
#include "LogCapture.h"
#include "NowPlayingImageProvider.h"
#include "NowPlayingPresentation.h"
#include "NowPlayingProgress.h"
#include "NowPlayingRig.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {

const QString spotifyBundle = QStringLiteral("com.spotify.client");

class ServiceFixture : public ::testing::Test, protected NowPlayingRig {
protected:
    void SetUp() override { build(clock); }

    NowPlayingTrack track(const char* title, bool playing, double elapsed = 10)
    {
        NowPlayingTrack t;
        t.title = QString::fromUtf8(title);
        t.artist = QStringLiteral("Artist");
        t.isPlaying = playing;
        t.duration = 60;
        t.elapsedTime = elapsed;
        t.elapsedTimestamp = clock.now();
        t.sourceBundleIdentifier = QStringLiteral("vlc");
        t.processIdentifier = 77;
        return t;
    }
    void report(const std::optional<NowPlayingTrack>& t) { Q_EMIT service->adapter().trackChanged(t); }
    double shownPosition() const { return *service->track()->elapsed(clock.now()); }
};

} // namespace

TEST(ArtworkAccent, AveragesTheWholeImageThenLiftsSaturationAndBrightness)
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
}

TEST(ArtworkDecoding, DecodesNoLargerThanDrawnAndRefusesAbsurdHeaders)
{
    QImage cover(1200, 600, QImage::Format_RGB32);
    cover.fill(Qt::darkCyan);
    // Scaled while decoding, just covering the drawn square, aspect kept.
    EXPECT_EQ(ArtworkDecoder::decodeNow(NowPlayingRig::png(cover), QSize(192, 192)).image.size(), QSize(384, 192));
    QImage small(50, 50, QImage::Format_RGB32);
    small.fill(Qt::red);
    EXPECT_EQ(ArtworkDecoder::decodeNow(NowPlayingRig::png(small), QSize(192, 192)).image.size(), QSize(50, 50));

    // A header claiming 7000 x 7000 pixels (196 MB decoded) is refused unread.
    LogCapture log;
    const ArtworkDecoder::Result absurd = ArtworkDecoder::decodeNow(QByteArray("P6\n7000 7000\n255\n") + QByteArray(64, '\0'));
    EXPECT_TRUE(absurd.image.isNull());
    EXPECT_FALSE(absurd.accentColor);
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(log.entries[0].level, Log::Level::error);
    EXPECT_TRUE(log.entries[0].message.startsWith(QStringLiteral("Ignoring artwork of 7000x7000 pixels")))
        << qPrintable(log.entries[0].message);
}

TEST_F(ServiceFixture, ShortGapsAreNotDrawnAndActivityFallsAfterItsGrace)
{
    service->start();
    EXPECT_EQ(service->source(), NowPlayingService::Source::systemNowPlaying);
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
    NowPlayingTrack paused = track("A", false, 13.9);
    report(paused);
    clock.advance(2000);
    EXPECT_FALSE(service->track()->isPlaying);
    EXPECT_NEAR(shownPosition(), 13.9, 1e-9);
    EXPECT_FALSE(service->isActive()); // 1.5 s after the pause showed
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

TEST_F(ServiceFixture, APauseWithoutFreshTimingKeepsThePositionTheUserSaw)
{
    service->start();
    NowPlayingTrack playing = track("A", true, 10);
    report(playing);
    clock.advance(5000);
    NowPlayingTrack paused = playing;
    paused.isPlaying = false; // same elapsed time and timestamp as the playing report
    report(paused);
    EXPECT_FALSE(service->track()->isPlaying);
    EXPECT_DOUBLE_EQ(shownPosition(), 15);
    clock.advance(3000);
    EXPECT_DOUBLE_EQ(shownPosition(), 15);
}

TEST_F(ServiceFixture, SwitchesToScriptsWhenTheAdapterStaysBlind)
{
    LogCapture log;
    service->start();
    apps.running = { spotifyBundle };
    const QVariantMap playing { { QStringLiteral("Player State"), QStringLiteral("Playing") },
        { QStringLiteral("Name"), QStringLiteral("Song") } };
    notes.post(QStringLiteral("com.spotify.client.PlaybackStateChanged"), playing);
    clock.advance(2000);
    report(track("Seen", true)); // the adapter speaks up in time: no switch
    clock.advance(5000);
    EXPECT_EQ(service->source(), NowPlayingService::Source::systemNowPlaying);

    service->stop();
    service->start();
    notes.post(QStringLiteral("com.spotify.client.PlaybackStateChanged"), playing);
    clock.advance(2999);
    EXPECT_EQ(service->source(), NowPlayingService::Source::systemNowPlaying);
    clock.advance(1);
    EXPECT_EQ(service->source(), NowPlayingService::Source::appleScript);
    EXPECT_TRUE(log.contains(
        QStringLiteral("Using AppleScript Now Playing fallback: adapter reported nothing while a player was active")));
    ASSERT_TRUE(service->track());
    EXPECT_EQ(service->track()->title, QStringLiteral("Song"));
    EXPECT_FALSE(service->adapter().isRunning());

    // Commands now go to the player's scripts.
    service->send(NowPlayingCommand::nextTrack);
    EXPECT_TRUE(scripts.ran.contains(QStringLiteral("tell application \"Spotify\" to next track")));

    service->stop();
    EXPECT_FALSE(service->track());
    service->start();
    EXPECT_EQ(service->source(), NowPlayingService::Source::systemNowPlaying);
}

TEST_F(ServiceFixture, FallsBackAtOnceWithoutTheAdapter)
{
    LogCapture log;
    build(clock, false);
    service->start();
    EXPECT_EQ(service->source(), NowPlayingService::Source::appleScript);
    EXPECT_TRUE(log.contains(QStringLiteral("Using AppleScript Now Playing fallback: adapter not bundled")));
}

TEST_F(ServiceFixture, ArtworkAndSourceApplicationFollowTheTrack)
{
    QImage red(4, 4, QImage::Format_RGB32);
    red.fill(Qt::red);
    QImage pixmap(16, 16, QImage::Format_RGB32);
    pixmap.fill(Qt::blue);
    catalog.installed.insert(QStringLiteral("vlc"), ApplicationInfo { QIcon(QPixmap::fromImage(pixmap)), QStringLiteral("VLC") });
    catalog.running.insert(5, ApplicationInfo { QIcon(), QStringLiteral("mpv") });
    service->start();

    NowPlayingTrack a = track("A", true);
    a.artworkData = png(red);
    report(a);
    EXPECT_EQ(service->artworkID(), 1);
    ASSERT_TRUE(service->artwork());
    EXPECT_EQ(service->artwork()->size(), QSize(4, 4));
    EXPECT_EQ(service->accentColor()->name(), QStringLiteral("#ff0000"));
    EXPECT_EQ(service->sourceName(), QStringLiteral("VLC"));
    EXPECT_TRUE(service->sourceIcon());
    EXPECT_EQ(catalog.lookups, 1);

    a.elapsedTime = 20; // same bytes, same application
    report(a);
    EXPECT_EQ(service->artworkID(), 1);
    EXPECT_EQ(catalog.lookups, 1);
    NowPlayingImageProvider images(service.get());
    QSize size;
    EXPECT_EQ(images.requestImage(QStringLiteral("artwork/1"), &size, QSize()).pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(size, QSize(4, 4));
    EXPECT_FALSE(images.requestImage(QStringLiteral("sourceIcon/1"), &size, QSize(18, 18)).isNull());

    a.artworkData = QByteArray("garbage");
    report(a);
    EXPECT_EQ(service->artworkID(), 2);
    EXPECT_FALSE(service->artwork());
    EXPECT_TRUE(images.requestImage(QStringLiteral("artwork/2"), &size, QSize()).isNull());
    EXPECT_FALSE(service->accentColor());
    a.artworkData.reset();
    report(a);
    EXPECT_EQ(service->artworkID(), 3);

    NowPlayingTrack other = track("B", true);
    other.sourceBundleIdentifier = QStringLiteral("mpv-unknown");
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
}

TEST_F(ServiceFixture, BackgroundDecodingKeepsOnlyTheNewestArtwork)
{
    build(clock, true, heldWork());
    service->start();
    NowPlayingTrack a = track("A", true);
    a.artworkData = cover(Qt::green);
    report(a);
    a.artworkData = cover(Qt::blue);
    report(a);
    ASSERT_EQ(heldWorkCount(), 2);
    runHeldWork({ 1, 0 }); // the stale decode finishes last; it must not win
    EXPECT_EQ(service->artworkID(), 1);
    EXPECT_EQ(service->accentColor()->name(), QStringLiteral("#0000ff"));
}

TEST_F(ServiceFixture, ANewTrackNeverShowsTheLastCoverWhileItsOwnDecodes)
{
    build(clock, true, heldWork());
    service->start();
    NowPlayingTrack a = track("A", true);
    a.artworkData = cover(Qt::green);
    report(a);
    runHeldWork({ 0 });
    ASSERT_TRUE(service->artwork().has_value());

    NowPlayingTrack b = track("B", true);
    b.artworkData = cover(Qt::blue);
    report(b);
    EXPECT_EQ(service->track()->title, QStringLiteral("B"));
    EXPECT_FALSE(service->artwork()); // the placeholder until the new cover is decoded
    EXPECT_FALSE(service->accentColor());
    runHeldWork({ 0 });
    ASSERT_TRUE(service->artwork().has_value());
    EXPECT_EQ(service->accentColor()->name(), QStringLiteral("#0000ff"));
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

    NowPlayingTrack paused = track("Song", false, 5);
    paused.duration.reset();
    report(paused);
    EXPECT_FALSE(progress.isTimelineRunning());
    EXPECT_EQ(progress.remainingLabel(), QStringLiteral("--:--"));
    progress.drag(0.7); // no duration: drags do nothing
    EXPECT_DOUBLE_EQ(progress.fraction(), 0);
    ticks.clear();
    clock.advance(1000);
    EXPECT_EQ(ticks.count(), 0);
}
