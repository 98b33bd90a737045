#include "BrightnessService.h"
#include "FakeAudioHardware.h"
#include "FakeDisplayBrightness.h"
#include "FakeMediaKeyGrabber.h"
#include "LogCapture.h"
#include "ManualScheduler.h"
#include "MediaKeyInterceptor.h"
#include "VolumeService.h"

#include <QSignalSpy>

#include <cmath>

#include <gtest/gtest.h>

namespace {

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

    volume.setLevel(1.7);
    EXPECT_EQ(hardware.written, 1.0f);
    volume.setLevel(-0.2);
    EXPECT_EQ(hardware.written, 0.0f);
    volume.setLevel(std::nan(""));
    EXPECT_EQ(hardware.written, 0.0f);
    // An over-amplified sink is kept or lowered, never raised further.
    hardware.devices[7].volume = 1.2f;
    Q_EMIT hardware.deviceChanged(7);
    volume.setLevel(1.7);
    EXPECT_EQ(hardware.written, 1.2f);
    volume.setLevel(1.1);
    EXPECT_EQ(hardware.written, 1.1f);
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
