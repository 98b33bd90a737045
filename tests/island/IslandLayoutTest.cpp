#include "IslandLayout.h"
#include "FakeScreenSource.h"
#include "IslandOutline.h"
#include "LogCapture.h"
#include "QtScreenSource.h"
#include "ScreenService.h"
#include "TempDir.h"
#include "TestScreens.h"
#include "UserDefaults.h"
#include "X11TopPanels.h"

#include <QGuiApplication>
#include <QScreen>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QUuid>

#include <gtest/gtest.h>

#include <functional>

using namespace TestScreens;

TEST(IslandLayout, NotchAndPillFramesBandsAndWings)
{
    // A 1512-wide screen whose auxiliary areas leave a 200 x 32 gap; the
    // panel hangs from the top edge and, open, has room for shadows.
    const PlatformScreen laptop = notched(QStringLiteral("eDP-1"), QRect(0, 0, 1512, 982), QSizeF(200, 32));
    const IslandLayout notch(laptop, IslandLayout::compactWingWidth(IslandCompactActivity::status));
    EXPECT_EQ(
        std::tuple(notch.style, notch.statusBandHeight, notch.contentTopInset, notch.closedPanelFrame(), notch.openPanelFrame()),
        std::tuple(IslandLayout::Style::notch, 32, 32, QRect(578, 0, 356, 32), QRect(472, 0, 568, 241)));
    for (const auto& [activity, width] :
        { std::pair(IslandCompactActivity::none, 212), std::pair(IslandCompactActivity::media, 300),
            std::pair(IslandCompactActivity::hud, 372), std::pair(IslandCompactActivity::liveActivity, 324) })
        EXPECT_EQ(IslandLayout(laptop, IslandLayout::compactWingWidth(activity)).compactSize.width(), width) << int(activity);

    // An external screen with a 25-point top panel, left of the origin's top:
    // the wing plays no part in a pill.
    const IslandLayout pill(plain(QStringLiteral("DP-1"), QRect(1512, -100, 1920, 1080), 25), 80);
    EXPECT_EQ(std::tuple(pill.style, pill.statusBandHeight, pill.contentTopInset, pill.notchWidth, pill.closedPanelFrame(),
                  pill.openPanelFrame()),
        std::tuple(IslandLayout::Style::pill, 21, 27, 0, QRect(2397, -100, 150, 23), QRect(2188, -100, 568, 238)));
    // Nothing reserved at the top: the band is the status bar's thickness
    // less 4, never under 20.
    PlatformScreen hidden = plain(QStringLiteral("screen"), QRect(0, 0, 1280, 800));
    for (const auto& [thickness, band] : { std::pair { 32, 28 }, { 25, 21 }, { 24, 20 }, { 23, 20 }, { 1, 20 } }) {
        hidden.statusBarThickness = thickness;
        EXPECT_EQ(IslandLayout(hidden, 0).statusBandHeight, band) << thickness;
    }
    // Narrower than the closed island plus margins: open as wide as closed.
    EXPECT_EQ(
        IslandLayout(notched(QStringLiteral("n"), QRect(0, 0, 300, 600), QSizeF(200, 32)), 72).expandedSize, QSizeF(356, 217));
    EXPECT_EQ(IslandLayout(plain(QStringLiteral("p"), QRect(0, 0, 160, 600)), 0).expandedSize.width(), 150);
    // Centre 500.5: 500.5 - 75 = 425.5 -> 426; mirrored left of the origin -> -576.
    EXPECT_EQ(IslandLayout(plain(QStringLiteral("a"), QRect(0, 0, 1001, 700)), 0).closedPanelFrame().x(), 426);
    EXPECT_EQ(IslandLayout(plain(QStringLiteral("b"), QRect(-1001, 0, 1001, 700)), 0).closedPanelFrame().x(), -576);
}

TEST(IslandLayout, BelowATopPanelOnlyWhereOneIsAndNeverOverANotch)
{
    PlatformScreen paneled = plain(QStringLiteral("DP-1"), QRect(0, 0, 1280, 800), 30);
    paneled.topPanelHeight = 30;
    const PlatformScreen bare = plain(QStringLiteral("DP-2"), QRect(1280, 0, 1280, 800));
    PlatformScreen notch = notched(QStringLiteral("eDP-1"), QRect(0, 0, 1512, 982), QSizeF(200, 32));
    notch.topPanelHeight = 32;
    using enum IslandPosition;
    for (const auto& [chosen, screen, applied] :
        { std::tuple(automatic, paneled, belowTopPanel), { automatic, bare, topEdge }, { automatic, notch, topEdge },
            { belowTopPanel, notch, topEdge }, { topEdge, paneled, topEdge }, { belowTopPanel, bare, belowTopPanel } })
        EXPECT_EQ(IslandLayout::appliedPosition(chosen, screen), applied) << qPrintable(screen.outputName) << int(chosen);

    // Moved down by the panel, with the same size and open frame.
    const IslandLayout below(paneled, 80, automatic);
    const IslandLayout atTop(paneled, 80, topEdge);
    EXPECT_EQ(below.closedPanelFrame(), QRect(565, 30, 150, 28));
    EXPECT_EQ(atTop.closedPanelFrame(), QRect(565, 0, 150, 28));
    EXPECT_EQ(below.openPanelFrame(), atTop.openPanelFrame().translated(0, 30));
    EXPECT_EQ(below.islandRect(IslandState::expanded, below.openPanelFrame().size()),
        atTop.islandRect(IslandState::expanded, atTop.openPanelFrame().size()));
    EXPECT_EQ(IslandLayout(bare, 0, belowTopPanel).closedPanelFrame().top(), 0);
    // A panel of no height is none; one of a single pixel already counts.
    for (const auto& [height, top] : { std::pair(0, 0), std::pair(1, 1), std::pair(30, 30) }) {
        PlatformScreen screen = plain(QStringLiteral("DP-3"), QRect(0, 0, 1280, 800), height);
        screen.topPanelHeight = height;
        EXPECT_EQ(IslandLayout(screen, 0, automatic).closedPanelFrame().top(), top) << height;
    }
    EXPECT_EQ(IslandLayout(notch, 72, belowTopPanel).closedPanelFrame(), QRect(578, 0, 356, 32));
}

TEST(IslandLayout, OutlineCoversTheIslandAndLeavesTheMarginsClear)
{
    const IslandLayout layout(notched(QStringLiteral("eDP-1"), QRect(0, 0, 1280, 800), QSizeF(200, 32)), 72);
    const QSize openPanel = layout.openPanelFrame().size();
    const QRegion open = IslandOutline::region(layout, IslandState::expanded, openPanel);
    const auto row = [](const QRegion& region, int y) { return region.intersected(QRect(0, y, 10000, 1)).boundingRect(); };
    // The body narrows by the top flares; the flares reach the top edge.
    EXPECT_EQ(row(open, 100), QRect(38, 100, 492, 1));
    EXPECT_EQ(std::pair(open.boundingRect().top(), open.boundingRect().bottom()), std::pair(0, 216));
    EXPECT_TRUE(QRect(24, 0, 520, 217).contains(open.boundingRect()));
    EXPECT_FALSE(open.contains(QPoint(40, 216))); // rounded bottom corner
    EXPECT_FALSE(open.contains(QPoint(29, 10))); // beside the top flare
    EXPECT_TRUE(open.contains(QPoint(40, 10)));
    // Closing inside the still-open panel: only the closed island is solid.
    const QRegion closing = IslandOutline::region(layout, IslandState::compact, openPanel);
    EXPECT_EQ(row(closing, 10), QRect(112, 10, 344, 1));
    EXPECT_EQ(closing.boundingRect().height(), 32);

    const IslandLayout pill(plain(QStringLiteral("screen"), QRect(0, 0, 1280, 800)), 0);
    const QRegion capsule = IslandOutline::region(pill, IslandState::compact, pill.closedPanelFrame().size());
    EXPECT_EQ(capsule.boundingRect(), QRect(0, 2, 150, 20));
    EXPECT_FALSE(capsule.contains(QPoint(0, 2)));
    EXPECT_TRUE(capsule.contains(QPoint(75, 2)));
}

TEST(ScreenService, NotchNeedsAnInsetBothAreasAndRoomBetweenThem)
{
    const auto notchWith = [](const std::function<void(PlatformScreen&)>& change) {
        PlatformScreen s = notched(QStringLiteral("eDP-1"), QRect(0, 0, 1280, 800), QSizeF(200, 32));
        change(s);
        return ScreenService::notchFrame(s);
    };
    EXPECT_FALSE(notchWith([](PlatformScreen& s) { s.topInset = 0; }));
    EXPECT_FALSE(notchWith([](PlatformScreen& s) { s.auxiliaryTopRightArea.reset(); }));
    // Areas that meet leave none; the narrowest gap is a notch.
    const auto areasOf = [](qreal width) {
        return [width](PlatformScreen& s) {
            s.auxiliaryTopLeftArea->setWidth(width);
            s.auxiliaryTopRightArea->setWidth(width);
        };
    };
    EXPECT_FALSE(notchWith(areasOf(640)));
    EXPECT_EQ(notchWith(areasOf(639.5)), QRectF(639.5, 0, 1, 32));
}

TEST(ScreenService, ChoosesThePreferredDisplayThenANotchThenThePrimary)
{
    const PlatformScreen primary = plain(QStringLiteral("DP-1"), QRect(0, 0, 1920, 1080));
    const PlatformScreen laptop = notched(QStringLiteral("eDP-1"), QRect(1920, 0, 1512, 982), QSizeF(200, 32));
    PlatformScreen anonymous = plain(QStringLiteral("HDMI-1"), QRect(-1280, 0, 1280, 800));
    anonymous.displayUUID.reset();

    const QList<PlatformScreen> all { primary, laptop, anonymous };
    EXPECT_EQ(ScreenService::chooseScreen(all, QStringLiteral("UUID-DP-1"))->outputName, QStringLiteral("DP-1"));
    EXPECT_EQ(ScreenService::chooseScreen(all, std::nullopt)->outputName, QStringLiteral("eDP-1"));
    // A disconnected preference falls back silently.
    EXPECT_EQ(ScreenService::chooseScreen(all, QStringLiteral("UUID-gone"))->outputName, QStringLiteral("eDP-1"));
    EXPECT_EQ(
        ScreenService::chooseScreen({ primary, anonymous }, QStringLiteral("UUID-gone"))->outputName, QStringLiteral("DP-1"));
    EXPECT_EQ(ScreenService::chooseScreen({ anonymous }, QString())->outputName, QStringLiteral("HDMI-1"));
    EXPECT_FALSE(ScreenService::chooseScreen({}, QStringLiteral("UUID-DP-1")));

    // Screens without a UUID are not listed.
    const QList<DisplayInfo> displays = ScreenService::displayList(all);
    ASSERT_EQ(displays.size(), 2);
    EXPECT_EQ(displays[0], (DisplayInfo { QStringLiteral("UUID-DP-1"), QStringLiteral("DP-1"), false }));
    EXPECT_EQ(displays[1], (DisplayInfo { QStringLiteral("UUID-eDP-1"), QStringLiteral("eDP-1"), true }));
}

TEST(ScreenService, RepublishesDisplaysOnlyOnARealChangeButAlwaysAnnounces)
{
    FakeScreenSource source({ plain(QStringLiteral("DP-1"), QRect(0, 0, 1920, 1080)) });
    ScreenService service(source);
    ASSERT_EQ(service.displays().size(), 1);
    QSignalSpy displays(&service, &ScreenService::displaysChanged);
    QSignalSpy changed(&service, &ScreenService::screenParametersDidChange);

    // Same id, name and notch flag, other geometry.
    source.setScreens({ plain(QStringLiteral("DP-1"), QRect(0, 0, 2560, 1440)) });
    EXPECT_EQ(displays.count(), 0);
    EXPECT_EQ(changed.count(), 1);
    source.wake();
    EXPECT_EQ(changed.count(), 2);

    source.setScreens(
        { plain(QStringLiteral("DP-1"), QRect(0, 0, 2560, 1440)), plain(QStringLiteral("DP-2"), QRect(2560, 0, 1920, 1080)) });
    EXPECT_EQ(displays.count(), 1);
    EXPECT_EQ(service.displays().size(), 2);
    EXPECT_EQ(service.screen(QStringLiteral("UUID-DP-2"))->outputName, QStringLiteral("DP-2"));
}

TEST(QtScreenSource, DisplayIdsAndNamesComeFromTheEdidElseTheOutputAndTwinsGetTheirOwn)
{
    const auto dell = [](const char* serial, const char* output) {
        return QtScreenSource::displayUUID(
            QStringLiteral("Dell Inc."), QStringLiteral("DELL U2720Q"), QString::fromLatin1(serial), QString::fromLatin1(output));
    };
    const auto byName = [](const char* output) { return QtScreenSource::displayUUID({}, {}, {}, QString::fromLatin1(output)); };
    // Stable across ports and restarts; distinct per monitor; upper-case text.
    EXPECT_EQ(dell("7XK1", "DP-1"), dell("7XK1", "DP-3"));
    EXPECT_NE(dell("7XK1", "DP-1"), dell("7XK2", "DP-1"));
    EXPECT_EQ(dell("7XK1", "DP-1"), dell("7XK1", "DP-1").toUpper());
    EXPECT_EQ(QUuid(dell("7XK1", "DP-1")).version(), QUuid::Sha1);
    EXPECT_NE(byName("screen"), byName("second"));
    for (const auto& [maker, model, output, name] : { std::tuple("Dell Inc.", "DELL U2720Q", "DP-1", "DELL U2720Q"),
             { "BOE", "NV140", "eDP-1", "BOE NV140" }, { "", "", "eDP-1", "Built-in Display" }, { "", "", "HDMI-1", "HDMI-1" } })
        EXPECT_EQ(
            QtScreenSource::localizedName(QString::fromLatin1(maker), QString::fromLatin1(model), QString::fromLatin1(output)),
            QLatin1String(name));

    // Identical monitors without a serial: an id each, the same per output
    // whatever order they are listed in, the first output keeping the id a
    // lone monitor has; twins Qt cannot tell apart by output still differ.
    const QString shared = QtScreenSource::displayUUID(QStringLiteral("AOC"), QStringLiteral("24G2"), {}, QStringLiteral("DP-1"));
    const auto ids = [&](const QStringList& outputs) {
        QList<PlatformScreen> screens;
        for (const QString& output : outputs) {
            screens.append(PlatformScreen {});
            screens.last().outputName = output;
            screens.last().displayUUID = output == QStringLiteral("HDMI-1") ? QStringLiteral("OTHER") : shared;
        }
        QtScreenSource::makeDisplayIDsUnique(screens);
        QStringList result;
        for (const PlatformScreen& s : std::as_const(screens))
            result.append(*s.displayUUID);
        return result;
    };
    const QStringList first
        = ids({ QStringLiteral("HDMI-1"), QStringLiteral("DP-2"), QStringLiteral("DP-1"), QStringLiteral("DP-3") });
    EXPECT_EQ(QSet<QString>(first.begin(), first.end()).size(), 4);
    EXPECT_EQ(first[0], QStringLiteral("OTHER"));
    EXPECT_EQ(first[2], shared);
    const QStringList again
        = ids({ QStringLiteral("DP-3"), QStringLiteral("DP-1"), QStringLiteral("DP-2"), QStringLiteral("HDMI-1") });
    EXPECT_EQ(again.mid(0, 3), (QStringList { first[3], first[2], first[1] }));
    const QStringList twins = ids({ QString(), QString() });
    EXPECT_NE(twins[0], twins[1]);
}

class NotchOverrideTest : public TempDirTest { };

TEST_F(NotchOverrideTest, OverridesAreParsedReadWrittenAndBadOnesLoggedOnce)
{
    EXPECT_EQ(QtScreenSource::parseNotchSize(QStringLiteral("200x32")), QSizeF(200, 32));
    EXPECT_EQ(QtScreenSource::parseNotchSize(QStringLiteral(" 185.5 X 33 ")), QSizeF(185.5, 33));
    for (const char* bad : { "", "200", "200x", "x32", "0x32", "200x0", "-200x32", "wide", "200x32x4" })
        EXPECT_FALSE(QtScreenSource::parseNotchSize(QString::fromLatin1(bad))) << bad;

    // Against the platform's own screen (the offscreen one here, which has
    // no output name, so the override is keyed by its display id).
    QScreen* qscreen = QGuiApplication::primaryScreen();
    ASSERT_NE(qscreen, nullptr);
    const QRect frame = qscreen->geometry();
    const QString id
        = QtScreenSource::displayUUID(qscreen->manufacturer(), qscreen->model(), qscreen->serialNumber(), qscreen->name());
    const QString file = path(QStringLiteral("settings.ini"));
    const auto store = [&](const QString& value) {
        QSettings raw(file, QSettings::IniFormat);
        raw.setValue(QStringLiteral("DisplayNotches/") + id, value);
    };
    store(QStringLiteral("200x32"));
    {
        UserDefaults defaults(file);
        QtScreenSource source(defaults);
        const QList<PlatformScreen> screens = source.screens();
        ASSERT_FALSE(screens.isEmpty());
        EXPECT_EQ(screens[0].displayUUID, id);
        EXPECT_EQ(
            ScreenService::notchFrame(screens[0]), QRectF(frame.left() + (frame.width() - 200) / 2.0, frame.top(), 200, 32));
    }

    {
        // Just narrower than the screen (and a file of another size, so that
        // QSettings' cache sees the change made within the same second).
        store(QStringLiteral("%1x32").arg(frame.width() - 0.5));
        UserDefaults defaults(file);
        EXPECT_TRUE(ScreenService::notchFrame(QtScreenSource(defaults).screens().value(0)));
    }
    // As wide as the screen: logged once, no notch.
    store(QStringLiteral("%1x32").arg(frame.width()));
    LogCapture log;
    UserDefaults defaults(file);
    QtScreenSource tooWide(defaults);
    EXPECT_FALSE(ScreenService::notchFrame(tooWide.screens()[0]));
    EXPECT_FALSE(ScreenService::notchFrame(tooWide.screens()[0]));
    EXPECT_EQ(log.entries.size(), 1u);
    EXPECT_TRUE(log.messages().value(0).startsWith(QStringLiteral("Ignoring notch override")));
    defaults.remove(QStringLiteral("DisplayNotches/") + id);

    // The settings' notch row writes the key that is read, and it takes effect at once.
    const auto notches = [&] { return defaults.group(QStringLiteral("DisplayNotches")); };
    PlatformScreen screen;
    screen.outputName = QStringLiteral("eDP-1");
    screen.displayUUID = QStringLiteral("ID");
    QtScreenSource::writeNotchSize(defaults, screen, QSizeF(200, 32));
    EXPECT_EQ(notches(), (QHash<QString, QString> { { QStringLiteral("ID"), QStringLiteral("200x32") } }));
    // A hand-written line under the output name is the one changed.
    defaults.remove(QStringLiteral("DisplayNotches/ID"));
    defaults.setString(QStringLiteral("DisplayNotches/eDP-1"), QStringLiteral("180x30"));
    QtScreenSource::writeNotchSize(defaults, screen, QSizeF(185.5, 33));
    EXPECT_EQ(notches(), (QHash<QString, QString> { { QStringLiteral("eDP-1"), QStringLiteral("185.5x33") } }));
    defaults.setString(QStringLiteral("DisplayNotches/ID"), QStringLiteral("200x32"));
    QtScreenSource::writeNotchSize(defaults, screen, std::nullopt);
    EXPECT_TRUE(notches().isEmpty());

    QtScreenSource source(defaults);
    ASSERT_FALSE(source.screens().isEmpty());
    EXPECT_FALSE(ScreenService::notchFrame(source.screens()[0]));
    QSignalSpy changed(&source, &ScreenSource::screensChanged);
    source.setNotchSize(source.screens()[0], QSizeF(200, 32));
    ASSERT_TRUE(changed.wait(1000));
    EXPECT_EQ(ScreenService::notchFrame(source.screens()[0])->size(), QSizeF(200, 32));
}

// Which panels reserve the top of which screen, from the X server's values.
TEST(X11TopPanels, StrutsCountWhereTheyReachAScreensTopEdgeWithinItsWidth)
{
    // _NET_WM_STRUT_PARTIAL: left, right, top, bottom, then the start and end
    // of each side's range; _NET_WM_STRUT: the four sides, the whole width.
    const QList<uint32_t> partial { 0, 0, 30, 0, 0, 0, 0, 0, 0, 1919, 0, 0 };
    EXPECT_EQ(X11TopPanels::topStrut(partial, 3200), (X11TopStrut { 30, 0, 1919 }));
    EXPECT_EQ(X11TopPanels::topStrut({ 0, 0, 24, 0 }, 3200), (X11TopStrut { 24, 0, 3199 }));
    EXPECT_FALSE(X11TopPanels::topStrut({ 0, 0, 0, 40 }, 3200)) << "a bottom panel";
    EXPECT_FALSE(X11TopPanels::topStrut(partial.mid(0, 11), 3200));
    EXPECT_FALSE(X11TopPanels::topStrut({ 0, 0, 30, 0, 0, 0, 0, 0, 1919, 0, 0, 0 }, 3200)) << "range backwards";
    EXPECT_FALSE(X11TopPanels::topStrut({ 0, 0, 0xffffffe2, 0 }, 3200)) << "a negative height";

    // Two monitors side by side and one lower down, right of them.
    const QRect left(0, 0, 1920, 1080);
    const QRect right(1920, 0, 1280, 800);
    const QRect lower(3200, 30, 1024, 768);
    const auto reserved = [&](const QRect& screen, QList<X11TopStrut> struts, QList<QRect> workAreas = {}) {
        return X11TopPanels::reservedTop(screen, { std::move(struts), std::move(workAreas) });
    };
    EXPECT_EQ(reserved(left, { { 30, 0, 1919 } }), 30);
    EXPECT_EQ(reserved(right, { { 30, 0, 1919 } }), 0) << "ends one pixel short of the screen";
    EXPECT_EQ(reserved(right, { { 30, 0, 1920 } }), 30);
    EXPECT_EQ(reserved(left, { { 30, 1920, 3199 } }), 0) << "starts one pixel past the screen";
    EXPECT_EQ(reserved(left, { { 30, 1919, 3199 } }), 30);
    EXPECT_EQ(reserved(lower, { { 30, 3200, 4223 } }), 0) << "ends at the screen's top edge";
    EXPECT_EQ(reserved(lower, { { 31, 3200, 4223 } }), 1);
    EXPECT_EQ(reserved(left, { { 30, 0, 1919 }, { 48, 100, 400 } }), 48) << "the lower of two panels";
    EXPECT_EQ(reserved(left, {}), 0) << "the panel went away";

    // No dock sets a strut: the work areas, per monitor where the window
    // manager sets them, and only then.
    EXPECT_EQ(reserved(left, {}, { QRect(0, 27, 1920, 1053), QRect(1920, 0, 1280, 800) }), 27);
    EXPECT_EQ(reserved(right, {}, { QRect(0, 27, 1920, 1053), QRect(1920, 0, 1280, 800) }), 0);
    EXPECT_EQ(reserved(right, { { 30, 0, 1919 } }, { QRect(1920, 27, 1280, 773) }), 0);
    EXPECT_EQ(X11TopPanels::rects({ 0, 27, 1920, 1053, 1920, 0, 0, 0, 5 }), QList<QRect> { QRect(0, 27, 1920, 1053) });
}
