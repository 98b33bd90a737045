#include "PulseAudioHardware.h"
#include "PrivatePulseServer.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

// The real PulseAudio client against a private server with null sinks,
// changed from outside with pactl as another mixer would.
namespace {

pa_cvolume channels(std::initializer_list<pa_volume_t> values)
{
    pa_cvolume v {};
    for (pa_volume_t value : values)
        v.values[v.channels++] = value;
    return v;
}

TEST(PulseVolumeTest, LevelIsTheLoudestChannelAndScalingKeepsTheBalance)
{
    EXPECT_FLOAT_EQ(PulseVolume::level(channels({ PA_VOLUME_NORM / 2, PA_VOLUME_NORM / 4 })), 0.5f);
    EXPECT_FLOAT_EQ(PulseVolume::level(channels({ PA_VOLUME_NORM * 3 / 2 })), 1.5f); // over-amplified
    EXPECT_FLOAT_EQ(PulseVolume::level(channels({})), 0.0f);

    const pa_cvolume scaled = PulseVolume::scaled(channels({ 40000, 20000 }), 0.5f);
    EXPECT_EQ(scaled.values[0], PA_VOLUME_NORM / 2);
    EXPECT_EQ(scaled.values[1], PA_VOLUME_NORM / 4);
    // Above the normal volume as well, where another mixer may have put the sink.
    EXPECT_EQ(PulseVolume::scaled(channels({ 40000, 20000 }), 1.125f).values[0], PA_VOLUME_NORM * 9 / 8);
    EXPECT_EQ(PulseVolume::scaled(channels({ 0, 0 }), 0.25f).values[1], PA_VOLUME_NORM / 4); // rises from silence
    EXPECT_EQ(PulseVolume::scaled(channels({ 1000 }), 1e9f).values[0], PA_VOLUME_MAX);
    EXPECT_EQ(PulseVolume::scaled(channels({ 1000 }), std::nanf("")).values[0], PA_VOLUME_MUTED);
}

TEST(PulseAudioHardwareTest, FollowsTheDefaultSinkBothWaysAndTheServerGoing)
{
    PrivatePulseServer server { { QStringLiteral("speakers"), QStringLiteral("headphones") } };
    ASSERT_TRUE(server.start()) << "pulseaudio did not start";
    const auto sinkVolume = [&] { return server.pactl({ "get-sink-volume", "speakers" }).output; };
    ASSERT_EQ(server.pactl({ "set-sink-volume", "speakers", "50%" }).exitCode, 0);
    PulseAudioHardware hardware;
    QSignalSpy switched(&hardware, &AudioHardware::defaultOutputDeviceChanged);
    int status = -1;
    while (hardware.defaultOutputDevice(status) == 0 && switched.wait(10000)) { }
    const AudioHardware::DeviceID speakers = hardware.defaultOutputDevice(status);
    ASSERT_NE(speakers, 0u);
    EXPECT_TRUE(hardware.isVolumeSettable(speakers));
    EXPECT_NEAR(*hardware.volume(speakers), 0.5, 0.001);
    EXPECT_EQ(hardware.isMuted(speakers), false);

    // A change from outside arrives as a notice, not by polling.
    QSignalSpy changed(&hardware, &AudioHardware::deviceChanged);
    ASSERT_EQ(server.pactl({ "set-sink-volume", "speakers", "30%" }).exitCode, 0);
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_EQ(changed.first().first().value<AudioHardware::DeviceID>(), speakers);
    EXPECT_NEAR(*hardware.volume(speakers), 0.3, 0.001);

    // Our writes reach the server (the channel balance is kept in scaled()).
    EXPECT_EQ(hardware.setVolume(speakers, 0.8f), 0);
    EXPECT_NEAR(*hardware.volume(speakers), 0.8, 0.001); // read back as written at once
    EXPECT_EQ(hardware.setMuted(speakers, true), 0);
    EXPECT_EQ(hardware.isMuted(speakers), true);
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_TRUE(sinkVolume().contains(QLatin1String("front-left: 52429 /  80%"))) << qPrintable(sinkVolume());

    // Switching outputs rebinds to the new default sink.
    switched.clear();
    ASSERT_EQ(server.pactl({ "set-default-sink", "headphones" }).exitCode, 0);
    ASSERT_TRUE(switched.wait(5000));
    const AudioHardware::DeviceID headphones = hardware.defaultOutputDevice(status);
    EXPECT_EQ(status, 0);
    EXPECT_NE(headphones, speakers);
    EXPECT_EQ(hardware.isMuted(headphones), false);
    EXPECT_FALSE(hardware.volume(speakers)) << "only the default sink is followed";
    EXPECT_NE(hardware.setVolume(speakers, 0.1f), 0);

    // The server gone: no device.
    server.stop();
    ASSERT_TRUE(switched.wait(5000));
    EXPECT_EQ(hardware.defaultOutputDevice(status), 0u);
    EXPECT_NE(status, 0);
    EXPECT_NE(hardware.setVolume(headphones, 0.5f), 0);
}

} // namespace
