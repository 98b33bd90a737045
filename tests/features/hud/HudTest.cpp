#include "BrightnessService.h"
#include "FakeAudioHardware.h"
#include "FakeDisplayBrightness.h"
#include "FakeMediaKeyGrabber.h"
#include "HUDController.h"
#include "HUDViews.h"
#include "LogCapture.h"
#include "ManualScheduler.h"
#include "MediaKeyInterceptor.h"
#include "SettingsStore.h"
#include "TempDir.h"
#include "UserDefaults.h"
#include "VolumeService.h"

#include <QSignalSpy>

#include <cmath>

#include <gtest/gtest.h>

namespace {

HUDState volumeAt(double level, bool muted = false)
{
    return { HUDKind::volume, level, muted };
}

class HUDPresenterTest : public ::testing::Test {
protected:
    ManualScheduler scheduler;
    HUDPresenter presenter { scheduler };
};

TEST_F(HUDPresenterTest, HidesOneDisplayDurationAfterTheLastShowWhichUpdatesNeitherMakeNorExtend)
{
    presenter.show(volumeAt(0.5));
    scheduler.advance(1000);
    presenter.show(volumeAt(0.5)); // equal, still restarts the countdown
    scheduler.advance(1499);
    ASSERT_TRUE(presenter.hasState());
    scheduler.advance(1);
    EXPECT_FALSE(presenter.hasState());
    EXPECT_EQ(presenter.level(), 0.5) << "the last level stays readable while the views fade";

    // A pending hide keeps its duration; the next show takes the new one.
    presenter.show(volumeAt(0.25));
    presenter.setDisplayDuration(std::chrono::milliseconds(3000));
    scheduler.advance(1500);
    EXPECT_FALSE(presenter.hasState());
    presenter.show(volumeAt(0.25));
    scheduler.advance(2999);
    EXPECT_TRUE(presenter.hasState());
    scheduler.advance(1);

    // Updates never show, switch kind or extend the countdown.
    presenter.setDisplayDuration(std::chrono::milliseconds(1500));
    presenter.update(volumeAt(0.3));
    EXPECT_FALSE(presenter.hasState());

    presenter.show(volumeAt(0.3));
    scheduler.advance(1000);
    presenter.update({ HUDKind::brightness, 0.9, false });
    EXPECT_EQ(presenter.state(), volumeAt(0.3));
    presenter.update(volumeAt(0.4, true));
    EXPECT_EQ(presenter.state(), volumeAt(0.4, true));
    scheduler.advance(500);
    EXPECT_FALSE(presenter.hasState());
}

class HUDControllerTest : public TempDirTest {
protected:
    void SetUp() override
    {
        audio.devices[7] = {};
        audio.defaultDevice = 7;
        defaults = std::make_unique<UserDefaults>(path(QStringLiteral("settings.ini")));
        settings = std::make_unique<SettingsStore>(*defaults);
        settings->setReplaceSystemHUD(true);
        hud = std::make_unique<HUDController>(*settings, audio, display, keys, scheduler);
        hud->start();
    }
    void setVolume(float level, bool muted = false)
    {
        audio.devices[7].volume = level;
        audio.devices[7].muted = muted;
        Q_EMIT audio.deviceChanged(7);
    }
    /// Presses and releases `key`; true when both were swallowed.
    bool tap(MediaKey key, bool fine = false)
    {
        const bool down = keys.press({ key, true, fine });
        const bool up = keys.press({ key, false, fine });
        return down && up;
    }
    double volume() { return *audio.devices[7].volume; }

    ManualScheduler scheduler;
    FakeAudioHardware audio;
    FakeDisplayBrightness display;
    FakeMediaKeyGrabber keys;
    std::unique_ptr<UserDefaults> defaults;
    std::unique_ptr<SettingsStore> settings;
    std::unique_ptr<HUDController> hud;
};

TEST_F(HUDControllerTest, VolumeKeysStepOnTheGridAndStopAtTheEnds)
{
    ASSERT_TRUE(keys.isGrabbed());
    constexpr auto up = MediaKey::volumeUp;
    // Keys: U/D a step of 1/16 up/down, u/d a fine step of 1/64, M mute. Halves snap away from zero,
    // above the normal volume up keeps the level and down steps on the grid; muted, up starts from silence.
    const struct {
        float from;
        bool muted;
        char key;
        double to;
        bool mutedAfter;
    } cases[] = { { 0.5f, 0, 'U', 0.5625, 0 }, { 0.5f, 0, 'u', 0.515625, 0 }, { 0.5312f, 0, 'U', 0.5625, 0 },
        { 0.53125f, 0, 'U', 0.625, 0 }, { 0.468f, 0, 'D', 0.375, 0 }, { 0.46875f, 0, 'D', 0.4375, 0 },
        { 0.5078f, 0, 'u', 0.515625, 0 }, { 0.5078125f, 0, 'u', 0.53125, 0 }, { 0.9375f, 0, 'U', 1.0, 0 },
        { 0.97f, 0, 'U', 1.0, 0 }, { 0.0625f, 0, 'D', 0.0, 0 }, { 0.02f, 0, 'D', 0.0, 0 }, { 0.4f, 1, 'U', 0.0625, 0 },
        { 0.4f, 1, 'u', 0.015625, 0 }, { 0.4f, 1, 'D', 0.3125, 0 }, { 0.03f, 1, 'D', 0.0, 1 }, { 0.4f, 0, 'M', 0.4f, 1 },
        { 0.4f, 1, 'M', 0.4f, 0 }, { 1.0f, 0, 'U', 1.0, 0 }, { 1.0f, 0, 'u', 1.0, 0 }, { 1.0f, 0, 'D', 0.9375, 0 },
        { 1.0f, 0, 'd', 0.984375, 0 }, { 1.01f, 0, 'U', 1.01f, 0 }, { 1.01f, 0, 'u', 1.01f, 0 }, { 1.01f, 0, 'D', 0.9375, 0 },
        { 1.01f, 0, 'd', 1.0, 0 }, { 1.125f, 0, 'D', 1.0625, 0 }, { 1.2f, 0, 'D', 1.125, 0 }, { 1.2f, 0, 'd', 1.1875, 0 },
        { 1.2f, 1, 'U', 0.0625, 0 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << "from " << c.from << (c.muted ? " muted" : "") << " key " << c.key);
        setVolume(c.from, c.muted);
        const MediaKey key = c.key == 'M' ? MediaKey::mute : QChar(c.key).toUpper() == 'U' ? up : MediaKey::volumeDown;
        EXPECT_TRUE(tap(key, QChar(c.key).isLower()));
        EXPECT_FLOAT_EQ(volume(), float(c.to));
        EXPECT_EQ(*audio.devices[7].muted, c.mutedAfter);
    }
    setVolume(0.4f);
    tap(MediaKey::mute);
    EXPECT_EQ(hud->presenter()->state(), volumeAt(0.4f, true));
    // Up above the normal volume still shows the HUD, at the real level.
    hud->presenter()->dismiss();
    setVolume(1.2f);
    tap(up);
    EXPECT_EQ(hud->presenter()->state(), volumeAt(1.2f));
}

TEST_F(HUDControllerTest, BrightnessKeysStepAndPassToTheDesktopWithoutABuiltInDisplay)
{
    display.level = 0.44f;
    hud->brightness().stop();
    hud->brightness().start();
    EXPECT_TRUE(tap(MediaKey::brightnessUp));
    EXPECT_FLOAT_EQ(display.level, 0.5f);
    EXPECT_TRUE(tap(MediaKey::brightnessDown, true));
    EXPECT_FLOAT_EQ(display.level, 0.484375f);
    EXPECT_EQ(hud->presenter()->state(), (HUDState { HUDKind::brightness, 0.484375, false }));

    display.display.reset();
    hud->brightness().stop();
    hud->brightness().start();
    const int sets = display.setCalls;
    EXPECT_FALSE(keys.press({ MediaKey::brightnessUp, true, false }));
    EXPECT_FALSE(keys.press({ MediaKey::brightnessUp, false, false }));
    EXPECT_EQ(display.setCalls, sets);

    // Neither is a volume without a settable volume swallowed.
    audio.devices[7].settable = false;
    Q_EMIT audio.defaultOutputDeviceChanged();
    EXPECT_FALSE(tap(MediaKey::volumeUp));
}

TEST_F(HUDControllerTest, SwitchesStartAndStopTheirPartsAndLetKeysThrough)
{
    setVolume(0.25f);
    ASSERT_TRUE(hud->volume().isRunning());
    ASSERT_TRUE(hud->brightness().isRunning());
    tap(MediaKey::volumeUp);
    ASSERT_TRUE(hud->presenter()->hasState());

    settings->setShowVolumeHUD(false);
    EXPECT_FALSE(hud->presenter()->hasState()) << "hidden at once";
    EXPECT_FALSE(hud->volume().isRunning());
    EXPECT_FALSE(tap(MediaKey::volumeUp)) << "the desktop handles the key";
    setVolume(0.75f);
    EXPECT_FALSE(hud->presenter()->hasState());
    EXPECT_TRUE(keys.isGrabbed()) << "still wanted for brightness";

    settings->setShowBrightnessHUD(false);
    EXPECT_FALSE(keys.isGrabbed());
    EXPECT_FALSE(hud->keyInterceptor().wantsToRun());
    EXPECT_FALSE(hud->brightness().isRunning());

    settings->setShowVolumeHUD(true);
    EXPECT_TRUE(keys.isGrabbed());
    settings->setReplaceSystemHUD(false);
    EXPECT_FALSE(keys.isGrabbed());
    // Without the keys, outside changes still show.
    setVolume(0.5f);
    EXPECT_EQ(hud->presenter()->state(), volumeAt(0.5));

    settings->setHudDuration(3.0);
    EXPECT_EQ(hud->presenter()->displayDuration(), std::chrono::milliseconds(3000));
}

TEST_F(HUDControllerTest, DraggingTheBarKeepsTheHUDUntilReleasedOrTakenAway)
{
    setVolume(0.5f);
    tap(MediaKey::volumeUp);
    hud->levelBarDragged(0.3);
    scheduler.advance(10000);
    EXPECT_EQ(hud->presenter()->state(), volumeAt(0.3f)) << "each drag step shows, no hide while dragging";
    hud->levelBarDragEnded(0.25);
    EXPECT_EQ(volume(), 0.25);
    scheduler.advance(1499);
    EXPECT_TRUE(hud->presenter()->hasState());
    scheduler.advance(1);
    EXPECT_FALSE(hud->presenter()->hasState());

    // A drag the island takes away still lets the HUD hide.
    tap(MediaKey::volumeUp);
    hud->levelBarDragged(0.6);
    hud->levelBarDragCancelled();
    EXPECT_FALSE(hud->presenter()->isInteracting());
    scheduler.advance(1500);
    EXPECT_FALSE(hud->presenter()->hasState());

    hud->stop();
    EXPECT_FALSE(keys.isGrabbed());
    EXPECT_FALSE(hud->volume().isRunning());
}

TEST(HUDIconLogicTest, SymbolsAndLabelsFollowTheLevel)
{
    const struct {
        HUDState state;
        const char* image;
        const char* label;
        double bar;
    } cases[] = {
        { volumeAt(0.4, true), "speaker.slash.fill", "Volume muted", 0 },
        { volumeAt(0), "speaker.slash.fill", "Volume 0 percent", 0 },
        { volumeAt(0.736), "speaker.wave.3.fill", "Volume 74 percent", 0.736 },
        { volumeAt(0.125), "speaker.wave.3.fill", "Volume 13 percent", 0.125 },
        { volumeAt(1.2), "speaker.wave.3.fill", "Volume 120 percent", 1 },
        { { HUDKind::brightness, 0.5, false }, "sun.max.fill", "Brightness 50 percent", 0.5 },
        { { HUDKind::brightness, 0.49, false }, "sun.min.fill", "Brightness 49 percent", 0.49 },
    };
    for (const auto& c : cases) {
        EXPECT_EQ(HUDIconLogic::systemImage(c.state), QLatin1String(c.image));
        EXPECT_EQ(HUDIconLogic::accessibleName(c.state), QLatin1String(c.label));
        EXPECT_EQ(HUDIconLogic::barValue(c.state), c.bar);
    }
    EXPECT_EQ(HUDIconLogic::drawnImage(volumeAt(0.125)), QLatin1String("speaker.wave.1.fill"));
}

class VolumeServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        hardware.devices[7] = {};
        hardware.defaultDevice = 7;
    }
    FakeAudioHardware hardware;
    VolumeService volume { hardware };
    QSignalSpy changes { &volume, &VolumeService::changes };
};

TEST_F(VolumeServiceTest, ClampsLevelsAndUnmutesWhenRaised)
{
    // Without a device nothing is adjustable or written.
    hardware.defaultDevice = 0;
    hardware.defaultStatus = 3;
    LogCapture log;
    volume.start();
    EXPECT_TRUE(log.contains(QStringLiteral("No default output device: 3")));
    EXPECT_FALSE(volume.isAdjustable());
    volume.setLevel(0.5);
    EXPECT_EQ(hardware.setVolumeCalls, 0);
    hardware.defaultDevice = 7;
    hardware.defaultStatus = 0;
    Q_EMIT hardware.defaultOutputDeviceChanged();
    ASSERT_TRUE(volume.isAdjustable());
    EXPECT_DOUBLE_EQ(volume.level(), 0.5);
    EXPECT_EQ(changes.count(), 0) << "binding is silent";

    const auto written = [&](double level) {
        volume.setLevel(level);
        return hardware.written;
    };
    EXPECT_EQ(written(1.7), 1.0f);
    EXPECT_EQ(written(std::nan("")), 0.0f);
    EXPECT_EQ(written(1.0), 1.0f);
    EXPECT_EQ(written(-0.2), 0.0f);
    // An over-amplified sink is kept or lowered, never raised further.
    hardware.devices[7].volume = 1.2f;
    Q_EMIT hardware.deviceChanged(7);
    EXPECT_EQ(written(1.7), 1.2f);
    EXPECT_EQ(written(1.1), 1.1f);
    changes.clear();

    volume.setMuted(true);
    volume.setLevel(0); // zero does not unmute
    EXPECT_TRUE(volume.isMuted());
    changes.clear();
    volume.setLevel(0.3);
    EXPECT_FALSE(volume.isMuted());
    EXPECT_EQ(changes.count(), 2) << "one from unmuting, one from the level";

    // A failed write still publishes what the device really reports.
    hardware.failWrites = 5;
    volume.setLevel(0.9);
    EXPECT_TRUE(log.contains(QStringLiteral("Unable to set volume: 5")));
    EXPECT_NEAR(volume.level(), 0.3, 1e-6);
}

TEST_F(VolumeServiceTest, OutsideChangesAreShownOnlyWhenTheyMatterAndSwitchesAreSilent)
{
    volume.start();
    const auto outside = [&](float level, bool muted) {
        hardware.devices[7] = { level, true, muted };
        Q_EMIT hardware.deviceChanged(7);
        return changes.count();
    };
    // A move of a thousandth or less is no change; the mute alone is one.
    EXPECT_EQ(outside(0.5009f, false), 0);
    EXPECT_EQ(outside(0.501f, false), 0);
    EXPECT_DOUBLE_EQ(volume.level(), 0.5);
    EXPECT_EQ(outside(0.5011f, false), 1);
    EXPECT_NEAR(volume.level(), 0.5011, 1e-6);
    EXPECT_EQ(outside(0.5011f, true), 2);
    EXPECT_EQ(outside(0.5011f, true), 2);
    EXPECT_EQ(outside(0.51f, false), 3);

    hardware.devices[9] = { 0.9f, false, true };
    hardware.defaultDevice = 9;
    Q_EMIT hardware.defaultOutputDeviceChanged();
    EXPECT_EQ(volume.deviceID(), 9u);
    EXPECT_EQ(changes.count(), 3);
    EXPECT_FALSE(volume.isAdjustable()) << "its volume is not settable";
    Q_EMIT hardware.deviceChanged(7); // the old device is no longer followed
    volume.stop();
    volume.stop();
    hardware.defaultDevice = 7;
    Q_EMIT hardware.defaultOutputDeviceChanged();
    EXPECT_EQ(volume.deviceID(), 9u);
}

class BrightnessServiceTest : public ::testing::Test {
protected:
    void report(double value, qint64 afterMs)
    {
        scheduler.advance(afterMs);
        Q_EMIT display.brightnessChanged(value);
    }
    ManualScheduler scheduler;
    FakeDisplayBrightness display;
    BrightnessService brightness { display, scheduler };
    QSignalSpy changes { &brightness, &BrightnessService::changes };
};

TEST_F(BrightnessServiceTest, ShowsOutsideMovesOfThreeHundredthsWithinASecondAndClampsLevelsSet)
{
    brightness.start();
    ASSERT_TRUE(brightness.isAvailable());
    EXPECT_DOUBLE_EQ(brightness.level(), 0.5);
    report(0.50, 100);
    EXPECT_EQ(changes.count(), 0);
    // (Levels chosen so that their differences are exact in binary.)
    report(0.1, 2000);
    report(0.129, 100);
    EXPECT_EQ(changes.count(), 1);
    report(0.13, 100);
    EXPECT_EQ(changes.count(), 2);
    EXPECT_DOUBLE_EQ(brightness.level(), 0.13);
    // 0.12 then 0.09: three hundredths apart while the first is younger than a second.
    for (const auto& [gapMs, shown] : { std::pair { 899, 1 }, { 900, 0 } }) {
        report(0.1, 2000);
        changes.clear();
        report(0.12, 100);
        report(0.11, 100);
        report(0.09, gapMs);
        EXPECT_EQ(changes.count(), shown) << gapMs;
    }
    report(0.54, 2000);

    report(0.56, 1500); // compared only with the published level
    EXPECT_EQ(changes.count(), 1);
    report(0.86, 1500);
    EXPECT_EQ(changes.count(), 2);

    brightness.stop();
    report(0.1, 10);
    EXPECT_DOUBLE_EQ(brightness.level(), 0.86) << "ignored after stop";
    EXPECT_FALSE(display.observing);

    // Levels set are clamped.
    brightness.start();
    changes.clear();
    brightness.setLevel(1.4);
    EXPECT_FLOAT_EQ(display.level, 1.0f);
    brightness.setLevel(-1);
    EXPECT_FLOAT_EQ(display.level, 0.0f);
    EXPECT_EQ(changes.count(), 2);

    display.setStatus = 4;
    LogCapture log;
    brightness.setLevel(0.5);
    EXPECT_TRUE(log.contains(QStringLiteral("Unable to set brightness: 4")));
    EXPECT_EQ(changes.count(), 2);

    FakeDisplayBrightness none;
    none.display.reset();
    BrightnessService unavailable(none, scheduler);
    unavailable.start();
    EXPECT_FALSE(unavailable.isAvailable());
    EXPECT_TRUE(log.contains(QStringLiteral("Built-in display brightness is not available")));
    unavailable.setLevel(0.5);
    EXPECT_EQ(none.setCalls, 0);
}

class MediaKeyInterceptorTest : public ::testing::Test {
protected:
    ManualScheduler scheduler;
    FakeMediaKeyGrabber grabber;
    MediaKeyInterceptor interceptor { grabber, scheduler };
};

TEST_F(MediaKeyInterceptorTest, WaitsForHeldKeysWithOnePollTakesThemWhenFreeAndPassesPressesOn)
{
    grabber.heldElsewhere = true;
    LogCapture log;
    interceptor.setWantsToRun(true);
    interceptor.refreshTrust();
    interceptor.refreshTrust();
    EXPECT_FALSE(interceptor.isActive());
    EXPECT_EQ(log.messages().count(QStringLiteral("Waiting for the media keys to be free to replace the system HUD")), 2);
    EXPECT_EQ(scheduler.pendingCount(), 1) << "one poll, not two";

    grabber.heldElsewhere = false;
    scheduler.advance(1999);
    EXPECT_FALSE(interceptor.isActive());
    scheduler.advance(1);
    EXPECT_TRUE(interceptor.isActive());
    EXPECT_TRUE(interceptor.isTrusted());
    EXPECT_EQ(scheduler.pendingCount(), 0);

    // A keymap change is looked at half a second later.
    interceptor.stop();
    interceptor.setWantsToRun(true);
    Q_EMIT grabber.trustMayHaveChanged();
    scheduler.advance(500);
    EXPECT_TRUE(interceptor.isActive());

    // A stop while waiting cancels the poll.
    interceptor.stop();
    const int grabs = grabber.grabCalls;
    grabber.heldElsewhere = true;
    interceptor.setWantsToRun(true);
    interceptor.refreshTrust();
    interceptor.stop();
    EXPECT_EQ(scheduler.pendingCount(), 0);
    grabber.heldElsewhere = false;
    scheduler.advance(10000);
    EXPECT_FALSE(interceptor.isActive());
    EXPECT_EQ(grabber.grabCalls, grabs);

    QList<MediaKeyPress> seen;
    interceptor.setHandler([&](const MediaKeyPress& press) {
        seen.append(press);
        return press.key != MediaKey::brightnessUp;
    });
    interceptor.setWantsToRun(true);
    interceptor.refreshTrust();
    EXPECT_TRUE(grabber.press({ MediaKey::volumeUp, true, true }));
    EXPECT_FALSE(grabber.press({ MediaKey::brightnessUp, true, false }));
    EXPECT_EQ(seen.size(), 2);
}

} // namespace
