#include "FakeDisplayBrightness.h"
#include "FakeMediaKeyGrabber.h"
#include "HUDController.h"
#include "LogCapture.h"
#include "PrivatePulseServer.h"
#include "PulseAudioHardware.h"
#include "SettingsStore.h"
#include "TempDir.h"
#include "UserDefaults.h"

#include <QTest>

#include <gtest/gtest.h>

// The HUD over the real PulseAudio client and a private server with a null
// sink: key presses reach the sink, outside changes reach the island.
namespace {

class HUDOnPulseTest : public TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(server.start()) << "pulseaudio did not start";
        settings.setReplaceSystemHUD(true);
        display.display.reset();
        audio = std::make_unique<PulseAudioHardware>();
        hud = std::make_unique<HUDController>(settings, *audio, display, keys);
        hud->start();
    }
    bool press(MediaKey key) { return keys.press({ key, true, false }); }
    /// Waits until pactl's `question` about the sink answers with `text`.
    bool sinkShows(const char* question, const char* text)
    {
        return QTest::qWaitFor([&] { return server.pactl({ question, "speakers" }).output.contains(QLatin1String(text)); }, 5000);
    }
    bool adjustableBecomes(bool adjustable)
    {
        return QTest::qWaitFor([&] { return hud->volume().isAdjustable() == adjustable; }, 10000);
    }

    LogCapture log;
    PrivatePulseServer server { { QStringLiteral("speakers") } };
    UserDefaults defaults { path(QStringLiteral("settings.ini")) };
    SettingsStore settings { defaults };
    FakeDisplayBrightness display;
    FakeMediaKeyGrabber keys;
    std::unique_ptr<PulseAudioHardware> audio;
    std::unique_ptr<HUDController> hud;
};

// A key's step over the real server is the island's own test (IslandX11Test); the
// fine step is HudTest's and the fine key's modifiers MediaKeyGrabberTest's.
TEST_F(HUDOnPulseTest, KeysSetTheRealSinkAndARestartedServerIsBoundAgain)
{
    ASSERT_TRUE(adjustableBecomes(true));
    EXPECT_FALSE(log.contains(QStringLiteral("No default output device"))) << "the first lookup is no failure";
    press(MediaKey::mute);
    EXPECT_TRUE(sinkShows("get-sink-mute", "Mute: yes"));

    server.stop();
    ASSERT_TRUE(adjustableBecomes(false));
    ASSERT_TRUE(server.start());
    ASSERT_TRUE(adjustableBecomes(true));
    ASSERT_EQ(server.pactl({ "set-sink-volume", "speakers", "50%" }).exitCode, 0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return hud->volume().level() == 0.5; }, 5000));
    EXPECT_TRUE(press(MediaKey::volumeUp));
    EXPECT_TRUE(sinkShows("get-sink-volume", "36864 /  56%")); // 0.5625
}

} // namespace
