#include "NowPlayingImageProvider.h"
#include "NowPlayingRig.h"
#include "NowPlayingService.h"
#include "SymbolCatalog.h"
#include "ViewProbe.h"

#include <QPainter>
#include <QQmlEngine>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <gtest/gtest.h>

// The Now Playing views drawn in a real X window with a real service fed by
// fakes: items, texts and geometry from the item tree, colour by the shots'
// references. Each screenshot is kept under screenshots/ in the
// build tree.
namespace {

using ViewProbe::lightness;

QRect rectOf(QQuickItem* item)
{
    return item->mapRectToScene(item->boundingRect()).toAlignedRect();
}

/// "Harbour Lights" by "Ann" on "Tidal", 30 s into 120 s, from VLC; its
/// artwork orange with a blue square in the middle third.
MediaPlayerState playingTrack()
{
    QImage artwork(300, 300, QImage::Format_RGB32);
    artwork.fill(QColor(235, 110, 30));
    QPainter(&artwork).fillRect(100, 100, 100, 100, QColor(30, 90, 235));
    MediaPlayerState t;
    t.player = QStringLiteral("vlc");
    t.title = QStringLiteral("Harbour Lights");
    t.artist = QStringLiteral("Ann");
    t.album = QStringLiteral("Tidal");
    t.artUrl = NowPlayingRig::dataUrl(NowPlayingRig::png(artwork));
    t.isPlaying = true;
    t.desktopEntry = QStringLiteral("org.videolan.vlc");
    t.processIdentifier = 4242;
    t.lengthMicros = 120'000'000;
    t.positionMicros = 30'000'000;
    t.positionReadAt = Clock::system().now();
    return t;
}

class NowPlayingViewsTest : public ::testing::Test {
protected:
    NowPlayingViewsTest()
    {
        QPixmap icon(64, 64);
        icon.fill(Qt::transparent);
        QPainter p(&icon);
        p.setRenderHint(QPainter::Antialiasing);
        p.setBrush(QColor(255, 136, 0));
        p.setPen(Qt::NoPen);
        p.drawEllipse(icon.rect());
        rig.catalog.installed.insert(QStringLiteral("org.videolan.vlc"), ApplicationInfo { QIcon(icon), QStringLiteral("VLC") });
        // Positions are read from the rig's virtual clock, by the service and
        // by the views alike, so they stand still unless the test moves them.
        // The service's timers wait for it too, so optimistic states stay.
        Clock::setSystem(&rig.clock);
        rig.build(rig.clock);
        rig.service->start();
        SymbolCatalog::loadFont();
        view.engine()->addImageProvider(QStringLiteral("nowplaying"), new NowPlayingImageProvider(rig.service.get()));
        view.setFlags(Qt::FramelessWindowHint | Qt::X11BypassWindowManagerHint);
        view.setColor(Qt::black);
        view.setResizeMode(QQuickView::SizeViewToRootObject);
    }
    ~NowPlayingViewsTest() override { Clock::setSystem(nullptr); }

    /// The views on black, at the top the closed island's media items, below
    /// the tab at the open island's content size.
    void open(const std::optional<MediaPlayerState>& track, double waveGlow = 0)
    {
        view.setInitialProperties(
            { { QStringLiteral("service"), QVariant::fromValue(rig.service.get()) }, { QStringLiteral("waveGlow"), waveGlow } });
        view.setSource(QUrl(QStringLiteral("qrc:/nowplaying-harness/NowPlayingHarness.qml")));
        ASSERT_EQ(view.status(), QQuickView::Ready) << qPrintable(ViewProbe::errors(view));
        rig.players.show(track);
        view.setPosition(0, 0);
        view.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        content = item("playingContent");
        placeholder = item("placeholder");
        ASSERT_TRUE(content && placeholder);
        const auto fadedTo = [](QQuickItem* faded, double to) { return qFuzzyCompare(1.0 + faded->opacity(), 1.0 + to); };
        EXPECT_TRUE(
            QTest::qWaitFor([&] { return fadedTo(content, track ? 1 : 0) && fadedTo(placeholder, track ? 0 : 0.45); }, 3000))
            << content->opacity() << " " << placeholder->opacity();
    }

    QImage shoot(const QString& name) { return ViewProbe::shoot(view, QStringLiteral("nowplaying-") + name); }

    QQuickItem* item(const char* name, QQuickItem* from = nullptr) const
    {
        return ViewProbe::find(from ? from : view.rootObject(), QString::fromLatin1(name));
    }
    QQuickItem* inContent(const char* name) const { return item(name, content); }

    void click(QQuickItem* item, double fraction = 0.5)
    {
        const QRect r = rectOf(item);
        QTest::mouseClick(&view, Qt::LeftButton, {}, QPoint(r.left() + int(fraction * r.width()), r.center().y()));
    }

    // A swap is over when only the new symbol is drawn, fully opaque.
    static bool symbolSettled(QQuickItem* button)
    {
        const QString wanted = button->property("systemImage").toString();
        int shown = 0;
        bool settled = false;
        for (QQuickItem* symbol : button->findChildren<QQuickItem*>(QStringLiteral("symbol"))) {
            shown += symbol->isVisible();
            settled |= symbol->property("systemImage").toString() == wanted && symbol->opacity() == 1 && symbol->scale() == 1;
        }
        return shown == 1 && settled;
    }

    NowPlayingRig rig;
    QQuickView view;
    QQuickItem* content = nullptr;
    QQuickItem* placeholder = nullptr;
};

} // namespace

TEST_F(NowPlayingViewsTest, PlayingTrackShowsArtworkTextsPositionSourceAndBandItems)
{
    ASSERT_NO_FATAL_FAILURE(open(playingTrack()));
    // The bars' phase follows the wall clock: held at their start for the
    // shot, which renders before the next tick.
    inContent("audioBars")->setProperty("time", 0.0);
    item("bandBars")->setProperty("time", 0.0);
    shoot(QStringLiteral("playing"));

    // Artwork: 96 square (cropped to fill, rounded: the reference shows it).
    EXPECT_EQ(rectOf(inContent("artwork")).size(), QSize(96, 96));

    // Their colours (white, and white at 60 %): the reference.
    QQuickItem* title = inContent("title");
    EXPECT_EQ(title->property("text").toString(), QStringLiteral("Harbour Lights"));
    EXPECT_EQ(inContent("subtitle")->property("text").toString(), QStringLiteral("Ann · Tidal"));
    EXPECT_GT(rectOf(title).width(), 0);
    EXPECT_LT(rectOf(title).right(), rectOf(inContent("sourceButton")).left());

    EXPECT_DOUBLE_EQ(inContent("progressBar")->property("value").toDouble(), 30.0 / 120);
    EXPECT_EQ(inContent("elapsedLabel")->property("text").toString(), QStringLiteral("0:30"));
    EXPECT_EQ(inContent("remainingLabel")->property("text").toString(), QStringLiteral("-1:30"));
    EXPECT_EQ(ViewProbe::accessibleName(inContent("progressBar")), QStringLiteral("Playback position"));

    QQuickItem* source = inContent("sourceButton");
    ASSERT_TRUE(source->isVisible());
    EXPECT_EQ(ViewProbe::accessibleName(source), QStringLiteral("Open VLC"));
    QTest::mouseMove(&view, rectOf(source).center());
    QObject* tip = source->findChild<QObject*>(QStringLiteral("sourceToolTip"));
    ASSERT_TRUE(tip);
    EXPECT_TRUE(QTest::qWaitFor([&] { return tip->property("opened").toBool(); }, 3000));
    EXPECT_EQ(tip->property("text").toString(), QStringLiteral("Open VLC"));
    EXPECT_GT(tip->property("width").toDouble(), 40); // a box around the text
    shoot(QStringLiteral("source-tooltip"));
    click(source);
    EXPECT_EQ(rig.catalog.opened, QStringList { QStringLiteral("org.videolan.vlc") });

    QQuickItem* bars = inContent("audioBars");
    EXPECT_EQ(rectOf(bars).size(), QSize(18, 18)); // 17.5 wide, on whole pixels
    EXPECT_TRUE(bars->property("isMoving").toBool());
    EXPECT_NE(bars->property("color").value<QColor>(), QColor(Qt::white)); // the artwork's accent

    // The closed island's items: a 20-pt thumbnail and 14 × 14 bars.
    EXPECT_EQ(rectOf(item("bandThumbnail")).size(), QSize(20, 20));
    EXPECT_EQ(rectOf(item("bandBars")).size(), QSize(14, 14));
}

TEST_F(NowPlayingViewsTest, TransportButtonsDriveTheServiceAndPauseStopsAllMotion)
{
    ASSERT_NO_FATAL_FAILURE(open(playingTrack()));
    QQuickItem* playPause = inContent("playPauseButton");
    ASSERT_TRUE(playPause);
    EXPECT_EQ(playPause->property("shownSystemImage").toString(), QStringLiteral("pause.fill"));
    EXPECT_EQ(rectOf(playPause).size(), QSize(34, 30));

    click(playPause);
    EXPECT_EQ(playPause->property("shownSystemImage").toString(), QStringLiteral("play.fill"));
    EXPECT_EQ(ViewProbe::accessibleName(playPause), QStringLiteral("Play"));
    ASSERT_EQ(playPause->findChildren<QQuickItem*>(QStringLiteral("symbol")).size(), 2);
    EXPECT_TRUE(QTest::qWaitFor([&] { return symbolSettled(playPause); }, 3000));
    shoot(QStringLiteral("paused"));

    EXPECT_FALSE(inContent("audioBars")->property("isMoving").toBool());
    EXPECT_FALSE(item("bandBars")->property("isMoving").toBool());

    QQuickItem* next = inContent("nextTrackButton");
    click(next);
    click(inContent("previousTrackButton"));
    EXPECT_EQ(next->property("bounceTrigger").toInt(), 1);
    EXPECT_EQ(playPause->property("bounceTrigger").toInt(), 0);
    EXPECT_EQ(
        rig.players.commands, (QStringList { QStringLiteral("PlayPause"), QStringLiteral("Next"), QStringLiteral("Previous") }));
}

TEST_F(NowPlayingViewsTest, AClickOnTheBarSeeksAndAPausedTrackWithoutAnIconHidesItsSource)
{
    ASSERT_NO_FATAL_FAILURE(open(playingTrack()));
    click(inContent("progressBar"), 0.75);
    ASSERT_EQ(rig.players.commands.filter(QStringLiteral("SetPosition ")).size(), 1);
    EXPECT_NEAR(rig.players.commands.filter(QStringLiteral("SetPosition ")).constFirst().mid(12).toDouble() / 1e6, 90, 1);

    rig.clock.advance(1500); // the optimistic seek expires
    MediaPlayerState live = playingTrack();
    live.isPlaying = false;
    live.lengthMicros.reset();
    live.desktopEntry = QStringLiteral("org.example.unknown"); // no icon for this one
    rig.players.show(live); // its labels' "--:--": the progress's own test
    EXPECT_FALSE(inContent("sourceButton")->isVisible());
    EXPECT_TRUE(inContent("audioBars")->isVisible());
    EXPECT_EQ(rectOf(inContent("audioBars")).right(), rectOf(inContent("progressRow")).right());
    QQuickItem* playPause = inContent("playPauseButton");
    EXPECT_EQ(playPause->property("systemImage").toString(), QStringLiteral("play.fill"));
    EXPECT_EQ(playPause->property("shownSystemImage").toString(), QStringLiteral("play.fill"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return symbolSettled(playPause); }, 3000));
    shoot(QStringLiteral("no-duration"));
}

TEST_F(NowPlayingViewsTest, WithoutATrackTheDimmedPlaceholderShows)
{
    ASSERT_NO_FATAL_FAILURE(open(std::nullopt)); // the placeholder dimmed to 45 %
    shoot(QStringLiteral("no-track"));
    EXPECT_FALSE(content->isVisible());
    EXPECT_EQ(item("title", placeholder)->property("text").toString(), QStringLiteral("Not Playing"));
    EXPECT_EQ(item("subtitle", placeholder)->property("text").toString(),
        QStringLiteral("Play something in your music player, Spotify or your browser"));
    EXPECT_TRUE(item("thumbnailPlaceholder", item("bandThumbnail"))->isVisible());
    EXPECT_FALSE(item("bandBars")->property("isMoving").toBool());
}

TEST_F(NowPlayingViewsTest, BarsGlowInTheirColourAndKeepTheirPhaseWhenTurnedOnAgain)
{
    ASSERT_NO_FATAL_FAILURE(open(playingTrack(), 1.0));
    QQuickItem* bars = item("bandBars");
    EXPECT_TRUE(QTest::qWaitFor([&] { return bars->property("time").toDouble() > 0.2; }, 3000));
    const QRect r = rectOf(bars);
    // The gaps between the bars catch the glow.
    const QImage shot = shoot(QStringLiteral("playing-glow"));
    EXPECT_GT(lightness(shot.pixel(r.left() + 3, r.center().y())), 12);

    const double before = bars->property("time").toDouble();
    bars->setProperty("isAnimating", true);
    EXPECT_GE(bars->property("time").toDouble(), before);
    bars->setProperty("isAnimating", false);
    EXPECT_FALSE(bars->property("isMoving").toBool());
    bars->setProperty("isAnimating", true);
    EXPECT_LT(bars->property("time").toDouble(), 0.1);
}
