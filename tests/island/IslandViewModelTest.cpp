#include "IslandViewModel.h"
#include "IslandRules.h"
#include "TestScreens.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

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
