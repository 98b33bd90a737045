#include "AppDelegate.h"
#include "BatteryService.h"
#include "FakeAudioHardware.h"
#include "FakeDisplayBrightness.h"
#include "FakeInstanceGuard.h"
#include "FakeIslandPanel.h"
#include "FakeMediaKeyGrabber.h"
#include "FakePointerState.h"
#include "FakePowerSources.h"
#include "FakeScreenSource.h"
#include "HUDController.h"
#include "IslandViewModel.h"
#include "IslandWindowController.h"
#include "LogCapture.h"
#include "NowPlayingRig.h"
#include "SettingsStore.h"
#include "TempDir.h"
#include "UserDefaults.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

namespace {
class AppDelegateTest : public TempDirTest {
protected:
    IslandPlatform island()
    {
        return IslandPlatform { &screens, &pointer, [this] {
                                   ++panelsMade;
                                   return std::make_unique<FakeIslandPanel>();
                               } };
    }
    FakeScreenSource screens { { PlatformScreen { "screen", "screen", "ID", QRect(0, 0, 1280, 800), QRect(0, 0, 1280, 800) } } };
    FakePointerState pointer;
    int panelsMade = 0;
    UserDefaults defaults { path("settings.ini") };
    FakeInstanceGuard guard;
};
} // namespace

TEST_F(AppDelegateTest, SecondCopyLogsAsksTheFirstToReopenAndThenTerminates)
{
    LogCapture log;
    guard.anotherRunning = true;
    AppDelegate delegate(defaults, guard, island());
    QSignalSpy terminate(&delegate, &AppDelegate::terminateRequested);

    EXPECT_FALSE(delegate.started());
    EXPECT_FALSE(delegate.hasLaunched());
    EXPECT_EQ(panelsMade, 0); // no island for a second copy
    ASSERT_EQ(log.entries.size(), 1u);
    EXPECT_EQ(
        Log::formatLine(log.entries[0]), "com.larkmoor.Brimwell[App] default: Another instance is already running; terminating");
    EXPECT_EQ(guard.reopenRequests, 1);
    // Termination waits until the running copy has been asked.
    EXPECT_EQ(terminate.count(), 0);
    guard.pendingDone();
    EXPECT_EQ(terminate.count(), 1);

    // The stop sequence still runs, once.
    delegate.quitting();
    delegate.quitting();
    EXPECT_EQ(log.messages().count("Terminating"), 1);
}

TEST_F(AppDelegateTest, RunningCopyAnswersReopenAndQuitAction)
{
    LogCapture log;
    AppDelegate delegate(defaults, guard, island());
    QSignalSpy terminate(&delegate, &AppDelegate::terminateRequested);

    ASSERT_TRUE(delegate.started());
    EXPECT_EQ(guard.reopenRequests, 0);
    // The island is made and started at launch; it is placed on the next turn.
    EXPECT_EQ(panelsMade, 1);
    ASSERT_NE(delegate.islandController(), nullptr);
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate.islandController()->panel().frame(), QRect(565, 0, 150, 22));
    guard.simulateReopenFromLaterLaunch();
    EXPECT_TRUE(log.contains("Reopen requested; the settings window is not available in this build"));
    EXPECT_EQ(terminate.count(), 0);

    delegate.actions().quit();
    EXPECT_EQ(terminate.count(), 1);
}

TEST_F(AppDelegateTest, NowPlayingAndTheBatteryFollowTheirSwitchesAndTheBatteryItsPresence)
{
    NowPlayingRig rig;
    rig.build(Clock::system());
    FakePowerSources sources;
    sources.sources = { FakePowerSources::battery(64) };
    FeatureFactories factories;
    factories.nowPlaying = [&] { return std::move(rig.service); };
    factories.battery = [&] { return std::make_unique<BatteryService>(sources); };
    AppDelegate delegate(defaults, guard, island(), factories);
    NowPlayingService* service = delegate.features().nowPlaying;
    BatteryService* battery = delegate.features().battery;
    ASSERT_NE(service, nullptr);
    ASSERT_NE(battery, nullptr);
    EXPECT_FALSE(service->isRunning()); // constructed, not started
    EXPECT_FALSE(sources.observing);

    ASSERT_TRUE(delegate.started());
    QCoreApplication::processEvents();
    EXPECT_TRUE(service->isRunning());
    delegate.settings().setShowNowPlaying(false);
    EXPECT_FALSE(service->isRunning());
    delegate.settings().setShowNowPlaying(true);
    EXPECT_TRUE(service->isRunning());
    // The player choice reaches the players as it is set.
    delegate.settings().setPreferredPlayer("mpv");
    delegate.settings().setIgnoredPlayers({ "firefox", QString(), "firefox" });
    EXPECT_EQ(rig.players.preferences, std::make_pair(QStringLiteral("mpv"), QStringList { QStringLiteral("firefox") }));

    const IslandViewModel& model = delegate.islandController()->viewModel();
    EXPECT_EQ(battery->level(), 64);
    EXPECT_TRUE(model.showsBattery());
    // A machine without a battery never shows one.
    sources.change({});
    QCoreApplication::processEvents();
    EXPECT_FALSE(model.showsBattery());
    sources.change({ FakePowerSources::battery(63) });
    delegate.settings().setShowBattery(false);
    QCoreApplication::processEvents();
    EXPECT_FALSE(sources.observing);
    EXPECT_FALSE(battery->hasStatus());
    EXPECT_FALSE(model.showsBattery());
    delegate.settings().setShowBattery(true);
    QCoreApplication::processEvents();
    EXPECT_TRUE(model.showsBattery());

    delegate.quitting();
    EXPECT_FALSE(service->isRunning());
}

TEST_F(AppDelegateTest, TheHUDStartsAfterTheIslandShowsInItAndLetsGoOfTheKeysAtTheEnd)
{
    FakeAudioHardware audio;
    audio.devices[1] = {};
    audio.defaultDevice = 1;
    FakeDisplayBrightness display;
    FakeMediaKeyGrabber keys;
    FeatureFactories factories;
    int made = 0;
    factories.hud = [&](SettingsStore& settings) {
        ++made;
        return std::make_unique<HUDController>(settings, audio, display, keys);
    };
    AppDelegate delegate(defaults, guard, island(), factories);
    delegate.settings().setReplaceSystemHUD(true);
    EXPECT_EQ(made, 0) << "made when first needed";

    ASSERT_TRUE(delegate.started());
    HUDController* hud = delegate.features().hud;
    ASSERT_NE(hud, nullptr);
    EXPECT_TRUE(hud->volume().isRunning());
    EXPECT_TRUE(keys.isGrabbed());

    // A level shown takes the closed island over, on the next turn.
    ASSERT_TRUE(keys.press({ MediaKey::volumeUp, true, false }));
    QCoreApplication::processEvents();
    EXPECT_EQ(delegate.islandController()->viewModel().compactActivity(), IslandCompactActivity::hud);

    delegate.quitting();
    EXPECT_FALSE(keys.isGrabbed());
    EXPECT_FALSE(hud->volume().isRunning());
    EXPECT_FALSE(hud->presenter()->hasState());
    EXPECT_EQ(made, 1);
}
