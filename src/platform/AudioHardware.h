#pragma once

#include <QObject>

#include <optional>

/// The audio hardware as the volume service sees it: the default output
/// device, its volume (1 is the normal volume) and its mute switch. Reads answer at once from
/// state the implementation keeps current; writes are sent without waiting
/// and read back as written until the hardware reports otherwise.
class AudioHardware : public QObject {
    Q_OBJECT
public:
    /// An output device; 0 means none.
    using DeviceID = quint32;
    /// The status while the default device is still being looked up; a
    /// defaultOutputDeviceChanged() follows when the lookup ends.
    static constexpr int lookupPendingStatus = -1;

    using QObject::QObject;

    /// The default output device, or 0 with a non-zero `status` when there is none.
    virtual DeviceID defaultOutputDevice(int& status) const = 0;
    /// Whether `device` has a volume control, and whether it can be set.
    virtual bool hasVolume(DeviceID device) const = 0;
    virtual bool isVolumeSettable(DeviceID device) const = 0;
    /// The device's volume: 0…1, above 1 when over-amplified; absent when it has none.
    virtual std::optional<float> volume(DeviceID device) const = 0;
    virtual bool hasMute(DeviceID device) const = 0;
    /// Absent when the device has no mute switch.
    virtual std::optional<bool> isMuted(DeviceID device) const = 0;
    /// 0 on success, else a non-zero status for the log.
    virtual int setVolume(DeviceID device, float volume) = 0;
    virtual int setMuted(DeviceID device, bool muted) = 0;

Q_SIGNALS:
    /// Another device became the default output (or the first one appeared).
    void defaultOutputDeviceChanged();
    /// The volume or mute of `device` changed.
    void deviceChanged(AudioHardware::DeviceID device);
};
