#include "IslandBackgroundPainter.h"
#include "IslandRootLogic.h"
#include "IslandRules.h"
#include "IslandViewModel.h"
#include "StatusBandLogic.h"
#include "TestScreens.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace {
std::vector<double> alphas(const QGradientStops& stops)
{
    std::vector<double> out;
    for (const auto& stop : stops)
        out.push_back(std::round(double(stop.second.alphaF()) * 100) / 100);
    return out;
}
} // namespace

TEST(IslandBackgroundTest, GlowLightsTheBottomEdgeAndOutOfRangeGlowIsItsNearestEnd)
{
    // Without glow the glass only darkens: no glow, no rim.
    EXPECT_EQ(alphas(IslandBackgroundPainter::glowStops(0)), (std::vector<double> { 0, 0, 0 }));
    EXPECT_EQ(alphas(IslandBackgroundPainter::rimStops(0)), (std::vector<double> { 0, 0, 0 }));
    // Full glow clears the darkness at the bottom, where the rim is brightest.
    EXPECT_EQ(alphas(IslandBackgroundPainter::darknessStops(1)).back(), 0);
    EXPECT_EQ(alphas(IslandBackgroundPainter::rimStops(1)).back(), 1.0);
    EXPECT_EQ(alphas(IslandBackgroundPainter::darknessStops(3)), alphas(IslandBackgroundPainter::darknessStops(1)));
    EXPECT_EQ(alphas(IslandBackgroundPainter::glowStops(std::numeric_limits<double>::quiet_NaN())),
        alphas(IslandBackgroundPainter::glowStops(0)));
}

TEST(IslandRootLogicTest, GlowOnlyOnOpenGlassAndWithinItsRange)
{
    EXPECT_DOUBLE_EQ(IslandRootLogic::outerGlowOpacity(false, IslandBackgroundStyle::glass, 0.6), 0);
    EXPECT_DOUBLE_EQ(IslandRootLogic::outerGlowOpacity(true, IslandBackgroundStyle::black, 0.6), 0);
    EXPECT_DOUBLE_EQ(IslandRootLogic::waveGlow(IslandBackgroundStyle::black, 0.6), 0);
    EXPECT_DOUBLE_EQ(IslandRootLogic::waveGlow(IslandBackgroundStyle::glass, 1.7), 1);
    EXPECT_DOUBLE_EQ(IslandRootLogic::waveGlow(IslandBackgroundStyle::glass, std::numeric_limits<double>::quiet_NaN()), 0);
}

TEST(IslandRootLogicTest, OvershootGrowsOnlyTheSizeAndOnlySameScreenResizesAnimate)
{
    IslandRootLogic logic;
    logic.setProperty("layoutStyle", QVariant::fromValue(IslandLayoutStyle::notch));
    logic.setProperty("compactSize", QSizeF(356, 32));
    EXPECT_FALSE(logic.compactResizeAnimated()); // first placement
    logic.setProperty("shownCompactWidth", 356.0);
    logic.setProperty("expandedSize", QSizeF(520, 217));
    logic.setProperty("backgroundStyle", QStringLiteral("glass"));
    logic.setProperty("glassGlow", 0.6);

    logic.setProperty("openness", 1.05); // overshoot grows the island, not the opacities
    EXPECT_GT(logic.islandWidth(), 520);
    EXPECT_DOUBLE_EQ(logic.contentOpacity(), 1);
    EXPECT_DOUBLE_EQ(logic.dropShadowOpacity(), 0.25);

    logic.setProperty("openness", 0.0);
    logic.setProperty("compactSize", QSizeF(300, 32)); // music started: narrower wings
    EXPECT_TRUE(logic.compactResizeAnimated());
    EXPECT_DOUBLE_EQ(logic.compactWidth(), 300);
    logic.setProperty("compactSize", QSizeF(150, 21)); // moved to a pill screen
    EXPECT_FALSE(logic.compactResizeAnimated());
    logic.setProperty("isExpanded", true);
    logic.setProperty("compactSize", QSizeF(180, 21)); // changes while open are not animated
    EXPECT_FALSE(logic.compactResizeAnimated());
}

TEST(StatusBandLogicTest, ItemsAndTheHudBarBesideTheNotch)
{
    const auto notch = IslandLayoutStyle::notch, pill = IslandLayoutStyle::pill;
    const auto status = IslandCompactActivity::status, media = IslandCompactActivity::media, hud = IslandCompactActivity::hud,
               idle = IslandCompactActivity::none;
    const auto none = BandItem::none;
    // Closed, clock and battery with the notch between them.
    EXPECT_EQ(StatusBandLogic::leadingItem(false, status, false, true), BandItem::clock);
    EXPECT_EQ(StatusBandLogic::trailingItem(false, status, false, true, true), BandItem::battery);
    EXPECT_EQ(StatusBandLogic::trailingItem(false, status, false, true, false), none); // no battery
    EXPECT_EQ(StatusBandLogic::leadingItem(false, idle, false, true), none);
    EXPECT_EQ(StatusBandLogic::leadingItem(true, idle, false, true), BandItem::clock);
    EXPECT_EQ(StatusBandLogic::leadingItem(false, media, false, true), BandItem::artwork);
    EXPECT_EQ(StatusBandLogic::trailingItem(false, media, false, true, true), BandItem::audioBars);
    EXPECT_EQ(StatusBandLogic::leadingItem(true, media, false, false), none);
    // A live activity: its symbol and value closed, the status band open.
    const auto live = IslandCompactActivity::liveActivity;
    EXPECT_EQ(StatusBandLogic::leadingItem(false, live, false, true), BandItem::activitySymbol);
    EXPECT_EQ(StatusBandLogic::trailingItem(false, live, false, true, true), BandItem::activityValue);
    EXPECT_EQ(StatusBandLogic::leadingItem(true, live, false, true), BandItem::clock);
    EXPECT_EQ(StatusBandLogic::trailingItem(true, live, false, true, true), BandItem::battery);

    // A HUD state shows closed only as the HUD activity, and always when open.
    EXPECT_FALSE(StatusBandLogic::isHudShown(true, false, media));
    EXPECT_TRUE(StatusBandLogic::isHudShown(true, false, hud));
    EXPECT_TRUE(StatusBandLogic::isHudShown(true, true, status));
    EXPECT_FALSE(StatusBandLogic::isHudShown(false, true, hud));
    EXPECT_EQ(StatusBandLogic::leadingItem(false, hud, true, true), BandItem::hudIcon);
    EXPECT_EQ(StatusBandLogic::trailingItem(true, status, true, true, true), BandItem::hudLevel);

    // Open beside a notch, the bar takes what is left, at most as wide as on a pill.
    EXPECT_DOUBLE_EQ(StatusBandLogic::hudBarWidth(true, notch, 520, 200), StatusBandLogic::hudBarWidth(true, pill, 520, 0));
    EXPECT_DOUBLE_EQ(StatusBandLogic::hudBarWidth(true, notch, 356, 200), 36);
    EXPECT_DOUBLE_EQ(StatusBandLogic::hudBarWidth(true, notch, 240, 200), 0);
}

using IslandRules::compactActivity;
using IslandRules::statusContent;

TEST(IslandRules, TabsFollowTheirSwitchesAndTheSelectionIsRemembered)
{
    IslandViewModel model;
    EXPECT_EQ(model.availableTabs(), IslandTabs::allCases());
    EXPECT_EQ(model.activeTab(), IslandTab::nowPlaying);
    QSignalSpy active(&model, &IslandViewModel::activeTabChanged);

    // Now Playing and Calendar off.
    model.setAvailableTabs(IslandRules::availableTabs(false, false, true, true));
    EXPECT_EQ(model.availableTabs(), (QList<IslandTab> { IslandTab::clipboard, IslandTab::shelf }));
    EXPECT_EQ(model.selectedTab(), IslandTab::nowPlaying);
    EXPECT_EQ(model.activeTab(), IslandTab::clipboard);
    EXPECT_EQ(active.count(), 1);

    // Back on: active again without a click.
    model.setAvailableTabs(IslandRules::availableTabs(true, false, true, true));
    EXPECT_EQ(model.activeTab(), IslandTab::nowPlaying);
    EXPECT_EQ(active.count(), 2);

    // Activities is a tab only while one runs.
    model.setAvailableTabs(IslandRules::availableTabs(false, false, false, false, true));
    EXPECT_EQ(model.activeTab(), IslandTab::activities);
    model.setAvailableTabs(IslandRules::availableTabs(false, false, false, false));
    EXPECT_FALSE(model.activeTab());
    EXPECT_FALSE(model.property("hasActiveTab").toBool());

    // The tab bar writes numbers; ones that name no tab change nothing.
    model.setAvailableTabs(IslandTabs::allCases());
    QSignalSpy selected(&model, &IslandViewModel::selectedTabChanged);
    model.setProperty("selectedTab", int(IslandTab::shelf));
    model.setProperty("selectedTab", int(IslandTab::shelf));
    model.setProperty("selectedTab", 7);
    EXPECT_EQ(model.selectedTab(), IslandTab::shelf);
    EXPECT_EQ(selected.count(), 1);
    EXPECT_EQ(model.property("activeTab").value<IslandTab>(), IslandTab::shelf);
}

TEST(IslandRules, CompactActivityPriorityAndStatusContent)
{
    const IslandStatusContent status = statusContent(true, true, true, true);
    EXPECT_EQ(compactActivity(status, true, true), IslandCompactActivity::hud);
    EXPECT_EQ(compactActivity(status, true, true, true), IslandCompactActivity::hud);
    EXPECT_EQ(compactActivity(status, true, false, true), IslandCompactActivity::liveActivity);
    EXPECT_EQ(compactActivity(status, false, false, true), IslandCompactActivity::liveActivity);
    EXPECT_EQ(compactActivity(status, true, false), IslandCompactActivity::media);
    EXPECT_EQ(compactActivity(status, false, false), IslandCompactActivity::status);
    // Clock and battery on, but not shown in the closed island.
    EXPECT_EQ(compactActivity(statusContent(true, true, false, true), false, false), IslandCompactActivity::none);
    // No battery, clock off: nothing to show even with the battery switch on.
    const IslandStatusContent noBattery = statusContent(false, true, true, false);
    EXPECT_FALSE(noBattery.showsBattery);
    EXPECT_EQ(compactActivity(noBattery, false, false), IslandCompactActivity::none);
}

TEST(IslandViewModel, QmlSeesEmptyGeometryUntilPlacedAndChangesOnlyOnce)
{
    IslandViewModel model;
    EXPECT_FALSE(model.property("hasLayout").toBool());
    EXPECT_EQ(model.property("compactSize").toSizeF(), QSizeF(0, 0));

    QSignalSpy layout(&model, &IslandViewModel::layoutChanged);
    const IslandLayout pill(TestScreens::plain(QStringLiteral("screen"), QRect(0, 0, 1280, 800)), 0);
    model.setLayout(pill);
    model.setLayout(pill);
    EXPECT_EQ(layout.count(), 1);
    EXPECT_EQ(model.property("layoutStyle").value<IslandLayoutStyle>(), IslandLayoutStyle::pill);

    // The drag-out hook is safe before the controller sets it.
    int drags = 0;
    model.startExternalDrag();
    QObject::connect(&model, &IslandViewModel::externalDragStarted, &model, [&drags] { ++drags; });
    model.startExternalDrag();
    EXPECT_EQ(drags, 1);
}
