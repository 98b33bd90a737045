#include "ArtworkDecoder.h"
#include "LogCapture.h"
#include "NowPlayingImageProvider.h"
#include "NowPlayingProgress.h"
#include "NowPlayingRig.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QUrl>

#include <gtest/gtest.h>

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
    EXPECT_EQ(service->artworkID(), 1);
    ASSERT_TRUE(service->artwork());
    EXPECT_EQ(service->artwork()->size(), QSize(4, 4));
    EXPECT_EQ(service->accentColor()->name(), QStringLiteral("#ff0000"));
    EXPECT_EQ(service->sourceName(), QStringLiteral("VLC"));
    EXPECT_TRUE(service->sourceIcon());
    EXPECT_EQ(catalog.lookups, 1);

    a.positionMicros = 20'000'000; // same cover, same application
    report(a);
    EXPECT_EQ(service->artworkID(), 1);
    EXPECT_EQ(catalog.lookups, 1);
    NowPlayingImageProvider images(service.get());
    QSize size;
    EXPECT_EQ(images.requestImage(QStringLiteral("artwork/1"), &size, QSize()).pixel(0, 0), qRgb(255, 0, 0));
    EXPECT_EQ(size, QSize(4, 4));
    EXPECT_FALSE(images.requestImage(QStringLiteral("sourceIcon/1"), &size, QSize(18, 18)).isNull());

    a.artUrl = dataUrl("garbage");
    report(a);
    EXPECT_EQ(service->artworkID(), 2);
    EXPECT_FALSE(service->artwork());
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
    ASSERT_EQ(web.requested.size(), 1);
    EXPECT_EQ(web.requested.constFirst(), QUrl(QStringLiteral("https://covers.example/b.png")));
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

    MediaPlayerState paused = track("Song", false, 5);
    paused.lengthMicros.reset();
    report(paused);
    EXPECT_FALSE(progress.isTimelineRunning());
    EXPECT_EQ(progress.remainingLabel(), QStringLiteral("--:--"));
    progress.drag(0.7); // no duration: drags do nothing
    EXPECT_DOUBLE_EQ(progress.fraction(), 0);
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
