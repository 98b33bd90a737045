#pragma once

#include "AudioHardware.h"

#include <QMap>

/// Audio devices held in memory; tests change them "from outside" and emit
/// the notices by hand.
class FakeAudioHardware final : public AudioHardware {
public:
    struct Device {
        std::optional<float> volume = 0.5f;
        bool settable = true;
        std::optional<bool> muted = false;
    };

    DeviceID defaultOutputDevice(int& status) const override
    {
        status = defaultStatus;
        return defaultDevice;
    }
    bool hasVolume(DeviceID id) const override { return devices.contains(id) && devices[id].volume.has_value(); }
    bool isVolumeSettable(DeviceID id) const override { return hasVolume(id) && devices[id].settable; }
    std::optional<float> volume(DeviceID id) const override { return devices.value(id).volume; }
    bool hasMute(DeviceID id) const override { return devices.contains(id) && devices[id].muted.has_value(); }
    std::optional<bool> isMuted(DeviceID id) const override { return devices.value(id).muted; }
    int setVolume(DeviceID id, float v) override
    {
        ++setVolumeCalls;
        written = v;
        if (failWrites)
            return failWrites;
        devices[id].volume = v;
        return 0;
    }
    int setMuted(DeviceID id, bool m) override
    {
        devices[id].muted = m;
        return 0;
    }

    DeviceID defaultDevice = 0;
    int defaultStatus = 0;
    QMap<DeviceID, Device> devices;
    int setVolumeCalls = 0;
    std::optional<float> written;
    int failWrites = 0;
};
