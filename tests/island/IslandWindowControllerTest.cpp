#include "IslandWindowController.h"
#include "CalendarService.h"
#include "FakeCalendarStore.h"
#include "FakeIslandPanel.h"
#include "FakePointerState.h"
#include "FakeScreenSource.h"
#include "IslandRules.h"
#include "IslandViewModel.h"
#include "LogCapture.h"
#include "ManualScheduler.h"
#include "ScreenService.h"
#include "SettingsStore.h"
#include "TempDir.h"
#include "TestScreens.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

namespace {

const QRect closedPill(565, 0, 150, 22);
const QRect openPill(356, 0, 568, 237);
const QPoint onIsland(640, 10);
const QPoint farAway(640, 600);

class IslandWindowControllerTest : public TempDirTest {
protected:
    /// Builds the controller on `screens` without starting it.
    void create(QList<PlatformScreen> screens = { TestScreens::plain(QStringLiteral("screen"), QRect(0, 0, 1280, 800)) })
    {
        controller.reset();
        defaults = std::make_unique<UserDefaults>(path(QStringLiteral("settings.ini")));
        settings = std::make_unique<SettingsStore>(*defaults);
        source = std::make_unique<FakeScreenSource>(std::move(screens));
        screenService = std::make_unique<ScreenService>(*source);
        auto owned = std::make_unique<FakeIslandPanel>();
        panel = owned.get();
        IslandActions actions { [this] { ++openSettingsCalls; }, [] {} };
        controller = std::make_unique<IslandWindowController>(
            *settings, *screenService, features, actions, std::move(owned), pointer, scheduler);
    }
    void launch(QList<PlatformScreen> screens = { TestScreens::plain(QStringLiteral("screen"), QRect(0, 0, 1280, 800)) })
    {
        create(std::move(screens));
        controller->start();
        scheduler.advance(0);
    }
    IslandViewModel& model() { return controller->viewModel(); }
    bool isOpen() { return model().state() == IslandState::expanded; }
    /// Whether the island is open `ms` later.
    bool openAfter(int ms)
    {
        scheduler.advance(ms);
        return isOpen();
    }
    /// The pointer at `at`, and the panel's report of it coming or going.
    void hoverAt(QPoint at, bool inside)
    {
        pointer.position = at;
        panel->hover(inside);
    }
    void openByHover(QPoint at = onIsland)
    {
        hoverAt(at, true);
        ASSERT_TRUE(openAfter(200));
    }

    LogCapture log;
    ManualScheduler scheduler;
    FakePointerState pointer;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<FakeScreenSource> source;
    std::unique_ptr<ScreenService> screenService;
    FakeIslandPanel* panel = nullptr;
    IslandFeatures features;
    int openSettingsCalls = 0;
    std::unique_ptr<IslandWindowController> controller;
};

} // namespace

TEST_F(IslandWindowControllerTest, PlacesTheIslandOnTheNextTurnAndWhereLeavesAreFinalAsksNoPointer)
{
    create();
    EXPECT_EQ(panel->rootProperties.value(QStringLiteral("viewModel")).value<QObject*>(), &controller->viewModel());
    EXPECT_EQ(panel->rootProperties.value(QStringLiteral("settings")).value<QObject*>(), settings.get());
    QObject* actions = panel->rootProperties.value(QStringLiteral("actions")).value<QObject*>();
    ASSERT_NE(actions, nullptr);
    QMetaObject::invokeMethod(actions, "openSettings");
    EXPECT_EQ(openSettingsCalls, 1);

    controller->start();
    EXPECT_EQ(std::tuple(panel->shown, model().layout().has_value(), panel->accepting), std::tuple(false, false, true));
    EXPECT_EQ(model().availableTabs(), IslandRules::availableTabs(true, true, true, true));

    scheduler.advance(0);
    EXPECT_TRUE(panel->shown);
    EXPECT_EQ(panel->currentFrame, closedPill);
    EXPECT_EQ(model().compactActivity(), IslandCompactActivity::status);
    EXPECT_EQ(model().statusContent(), (IslandStatusContent { true, false, true })); // no battery service
    EXPECT_TRUE(log.contains(QStringLiteral("Island placed on screen style pill compact 150.000000x20.000000")));
    EXPECT_EQ(panel->shape.boundingRect(), QRect(0, 2, 150, 20));

    // XWayland: once the pointer is on a Wayland window, the X server still
    // reports it on the island.
    create();
    panel->finalLeaves = true;
    controller->start();
    scheduler.advance(0);
    pointer.position = onIsland;
    // Placed under that stale position: an enter without motion opens nothing.
    panel->hover(true);
    EXPECT_FALSE(openAfter(1000));
    panel->move();
    EXPECT_FALSE(openAfter(199));
    ASSERT_TRUE(openAfter(1));
    // Reshaping the open panel under the resting pointer: leave and enter.
    panel->hover(false);
    panel->hover(true);
    EXPECT_TRUE(openAfter(1000));
    panel->hover(false);
    EXPECT_TRUE(openAfter(119));
    EXPECT_FALSE(openAfter(1)) << "the stale position kept the island open";

    // A drag that left the island closes it after the watch's tick, though
    // the position says it is inside.
    settings->setShowShelf(true);
    panel->dragOver(true);
    ASSERT_TRUE(isOpen());
    panel->dragOver(false);
    EXPECT_FALSE(openAfter(300));
    // After a drop the pointer is over the island until the panel says it left.
    scheduler.advance(450);
    panel->dragOver(true);
    panel->drop(QMimeData());
    EXPECT_TRUE(openAfter(3000));
    panel->hover(false);
    EXPECT_FALSE(openAfter(120));
}

TEST_F(IslandWindowControllerTest, OpensAndClosesOnHoverAfterTheirDelaysByTheOutline)
{
    launch();
    hoverAt(onIsland, true);
    EXPECT_FALSE(openAfter(199));
    EXPECT_TRUE(openAfter(1));
    EXPECT_EQ(panel->currentFrame, openPill);
    EXPECT_EQ(panel->shape.boundingRect(), QRect(24, 2, 520, 211));

    // Passing over faster than the delay opens nothing, nor does a pointer
    // gone by the time the delay ends without a leave report.
    launch();
    panel->hover(true);
    scheduler.advance(150);
    hoverAt(farAway, false);
    EXPECT_FALSE(openAfter(1000));

    hoverAt(onIsland, true);
    pointer.position = farAway;
    EXPECT_FALSE(openAfter(200));
    EXPECT_EQ(panel->frames.size(), 1u);

    // With no delay it opens on the next turn (stored delays are held to
    // 0…1 s by the settings' test).
    settings->setHoverDelay(0);
    hoverAt(onIsland, true);
    EXPECT_FALSE(isOpen());
    EXPECT_TRUE(openAfter(0));

    // Closes after leaving, the island animating inside the still-open panel.
    openByHover();
    hoverAt(farAway, false);
    EXPECT_TRUE(openAfter(119));
    EXPECT_FALSE(openAfter(1));
    EXPECT_EQ(panel->currentFrame, openPill);
    EXPECT_EQ(panel->shape.boundingRect(), QRect(209, 2, 150, 20));
    scheduler.advance(449);
    EXPECT_EQ(panel->currentFrame, openPill);
    scheduler.advance(1);
    EXPECT_EQ(panel->currentFrame, closedPill);

    // Leaving and coming back within 0.12 s keeps it open.
    openByHover();
    hoverAt(farAway, false);
    scheduler.advance(100);
    hoverAt(onIsland, true);
    EXPECT_TRUE(openAfter(2000));
    EXPECT_EQ(panel->currentFrame, openPill);

    // The outline, not the panel, decides: a leave into the margin closes.
    const QRect island = panel->shape.boundingRect().translated(openPill.topLeft());
    ASSERT_LT(island.bottom(), openPill.bottom());
    hoverAt(QPoint(640, island.bottom() + 1), false);
    EXPECT_FALSE(openAfter(120));
    scheduler.advance(450);
    EXPECT_EQ(panel->currentFrame, closedPill);

    // A leave while the pointer is still on the island (a grab elsewhere):
    // watched, and closed once it really goes.
    openByHover();
    hoverAt(QPoint(640, island.bottom()), false);
    EXPECT_TRUE(openAfter(120 + 900));
    pointer.position = farAway;
    EXPECT_FALSE(openAfter(300));
    scheduler.advance(450);
    EXPECT_EQ(scheduler.pendingCount(), 0);
}

TEST_F(IslandWindowControllerTest, ClosesAtOnceWhenHiddenAndFollowsDragsOutAndIn)
{
    launch();
    openByHover();
    EXPECT_TRUE(model().animatesState());
    panel->setExposed(false);
    EXPECT_FALSE(isOpen());
    EXPECT_FALSE(model().animatesState()); // closed at once, inside the closed frame
    EXPECT_EQ(panel->currentFrame, closedPill);

    // While not visible, resting on it opens nothing.
    hoverAt(onIsland, true);
    EXPECT_FALSE(openAfter(1000));

    // A pending open dies with the exposure too.
    panel->setExposed(true);
    panel->hover(true);
    scheduler.advance(100);
    panel->setExposed(false);
    panel->setExposed(true);
    EXPECT_FALSE(openAfter(1000));

    // Dragging an item out keeps it open until the button is up.
    scheduler.advance(1000);
    openByHover();
    pointer.primaryPressed = true;
    model().startExternalDrag();
    EXPECT_TRUE(controller->isExternalDragActive());
    hoverAt(farAway, false);
    EXPECT_TRUE(openAfter(3000));
    pointer.primaryPressed = false;
    scheduler.advance(300);
    EXPECT_FALSE(controller->isExternalDragActive());
    EXPECT_FALSE(isOpen());

    // A drag opens the Shelf tab at once.
    scheduler.advance(1000);
    model().setSelectedTab(IslandTab::calendar);
    pointer.position = onIsland;
    panel->dragOver(true);
    EXPECT_TRUE(isOpen());
    EXPECT_EQ(panel->currentFrame, openPill);
    EXPECT_EQ(model().selectedTab(), IslandTab::shelf);
    EXPECT_TRUE(model().isDropTargeted());

    // Leaving without a drop: the pointer watch closes it once outside.
    panel->dragOver(false);
    EXPECT_FALSE(model().isDropTargeted());
    EXPECT_TRUE(openAfter(600));
    pointer.position = farAway;
    EXPECT_FALSE(openAfter(300));

    // A drop is refused while there is no shelf, and logged.
    scheduler.advance(1000);
    pointer.position = onIsland;
    panel->dragOver(true);
    QMimeData text;
    text.setText(QStringLiteral("hello"));
    EXPECT_FALSE(panel->drop(text));
    EXPECT_FALSE(model().isDropTargeted());
    EXPECT_TRUE(log.contains(QStringLiteral("Drop of text/plain refused: the shelf is not available")));

    // Shelf off: no drop target, no Shelf tab, and stray reports are ignored.
    settings->setShowShelf(false);
    EXPECT_FALSE(panel->accepting);
    EXPECT_EQ(panel->acceptChanges, 2);
    EXPECT_FALSE(model().availableTabs().contains(IslandTab::shelf));
    hoverAt(farAway, false);
    ASSERT_FALSE(openAfter(1000));
    Q_EMIT panel->events().dropTargetChanged(true);
    EXPECT_FALSE(isOpen());
    EXPECT_FALSE(model().isDropTargeted());
}

TEST_F(IslandWindowControllerTest, ClosedIslandGrowsThePanelFirstAndShrinksItAfterTheContent)
{
    launch({ TestScreens::notched(QStringLiteral("eDP-1"), QRect(0, 0, 1280, 800), QSizeF(200, 32)) });
    EXPECT_EQ(panel->currentFrame, QRect(462, 0, 356, 32));

    // Nothing to show beside the notch: the content narrows first.
    settings->setShowStatusInCompact(false);
    scheduler.advance(0);
    EXPECT_EQ(model().compactActivity(), IslandCompactActivity::none);
    EXPECT_EQ(model().layout()->compactSize.width(), 212);
    EXPECT_EQ(panel->currentFrame.width(), 356);
    scheduler.advance(549);
    EXPECT_EQ(panel->currentFrame.width(), 356);
    scheduler.advance(1);
    EXPECT_EQ(panel->currentFrame, QRect(534, 0, 212, 32));

    // Back: the panel widens before the content does.
    qreal contentWidthWhenPanelGrew = -1;
    panel->onSetFrame = [&](const QRect&) { contentWidthWhenPanelGrew = model().layout()->compactSize.width(); };
    settings->setShowStatusInCompact(true);
    scheduler.advance(0);
    EXPECT_EQ(contentWidthWhenPanelGrew, 212);
    EXPECT_EQ(panel->currentFrame, QRect(462, 0, 356, 32));
    EXPECT_EQ(model().layout()->compactSize.width(), 356);
    panel->onSetFrame = nullptr;

    // A quick change and back cancels the pending shrink.
    settings->setShowClock(false);
    settings->setShowClock(true);
    scheduler.advance(1000);
    EXPECT_EQ(panel->currentFrame, QRect(462, 0, 356, 32));

    // Open, the content changes but the panel is left alone.
    openByHover();
    const size_t frames = panel->frames.size();
    settings->setShowStatusInCompact(false);
    scheduler.advance(1000);
    EXPECT_EQ(model().layout()->compactSize.width(), 212);
    EXPECT_EQ(panel->frames.size(), frames);
}

TEST_F(IslandWindowControllerTest, FollowsScreensThePreferredDisplayTopPanelsAndThePosition)
{
    const PlatformScreen primary = TestScreens::plain(QStringLiteral("screen"), QRect(0, 0, 1280, 800));
    const PlatformScreen second = TestScreens::plain(QStringLiteral("DP-2"), QRect(1280, 0, 1920, 1080), 28);
    launch({ primary, second });
    EXPECT_EQ(panel->currentFrame, closedPill);

    settings->setPreferredDisplayID(QStringLiteral("UUID-DP-2"));
    const QRect onSecond(2165, 0, 150, 26);
    EXPECT_EQ(panel->currentFrame, onSecond);
    const size_t frames = panel->frames.size();
    settings->setPreferredDisplayID(QStringLiteral("UUID-DP-2"));
    EXPECT_EQ(panel->frames.size(), frames);

    // Unplugged: the primary screen, with the preference kept; plugged back: back.
    openByHover(QPoint(2240, 10));
    source->setScreens({ primary });
    EXPECT_FALSE(isOpen());
    EXPECT_FALSE(model().animatesState());
    EXPECT_EQ(panel->currentFrame, closedPill);
    EXPECT_EQ(settings->preferredDisplayID(), QStringLiteral("UUID-DP-2"));
    source->setScreens({ primary, second });
    EXPECT_EQ(panel->currentFrame, onSecond);

    // A pending open is dropped by a placement.
    hoverAt(QPoint(2240, 10), true);
    source->setScreens({ primary, second });
    EXPECT_FALSE(openAfter(1000));

    source->setScreens({});
    EXPECT_FALSE(panel->shown);
    EXPECT_TRUE(log.contains(QStringLiteral("No screen available; island hidden")));
    source->setScreens({ second });
    EXPECT_TRUE(panel->shown);
    EXPECT_EQ(panel->currentFrame, onSecond);

    // Below a top panel, open too, as the position setting says.
    PlatformScreen screen = TestScreens::plain(QStringLiteral("screen"), QRect(0, 0, 1280, 800), 30);
    screen.topPanelHeight = 30;
    launch({ screen });
    const QRect belowPanel(565, 30, 150, 28);
    EXPECT_EQ(panel->currentFrame, belowPanel);
    openByHover(QPoint(640, 40));
    EXPECT_EQ(panel->currentFrame, QRect(356, 30, 568, 243)) << "the open island hangs from the panel too";

    settings->setIslandPosition(IslandPosition::topEdge);
    EXPECT_FALSE(isOpen());
    EXPECT_EQ(panel->currentFrame, belowPanel.translated(0, -30));
    settings->setIslandPosition(IslandPosition::belowTopPanel);
    EXPECT_EQ(panel->currentFrame, belowPanel);
    screen.topPanelHeight = 0; // the panel went away
    source->setScreens({ screen });
    EXPECT_EQ(panel->currentFrame, belowPanel.translated(0, -30));

    // The calendar runs while its switch is on.
    FakeCalendarStore store;
    UserDefaults calendarDefaults(path(QStringLiteral("calendar.ini")));
    CalendarService calendar(store, calendarDefaults, scheduler, scheduler);
    features.calendar = &calendar;
    launch();
    EXPECT_TRUE(calendar.isRunning());
    settings->setShowCalendar(false);
    EXPECT_FALSE(calendar.isRunning());
    settings->setShowCalendar(true);
    EXPECT_TRUE(calendar.isRunning());
    controller.reset();
}
