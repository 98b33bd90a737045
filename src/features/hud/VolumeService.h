#pragma once

#include "AudioHardware.h"

#include <QObject>

/// The default output device's volume and mute, followed as the user
/// switches outputs, and set on request. `changes` fires when a change is to
/// be shown in the island.
class VolumeService final : public QObject {
    Q_OBJECT
    /// Volume of the bound device: 1 is its normal volume, above 1 an
    /// over-amplified sink; 0 without a device or volume control.
    Q_PROPERTY(double level READ level NOTIFY levelChanged FINAL)
    Q_PROPERTY(bool isMuted READ isMuted NOTIFY isMutedChanged FINAL)
    /// The bound device has a settable volume.
    Q_PROPERTY(bool isAdjustable READ isAdjustable NOTIFY isAdjustableChanged FINAL)
public:
    enum class ChangeReporting { none, ifChanged, always };

    explicit VolumeService(AudioHardware& hardware, QObject* parent = nullptr);
    VolumeService(const VolumeService&) = delete;
    VolumeService& operator=(const VolumeService&) = delete;

    double level() const { return m_level; }
    bool isMuted() const { return m_isMuted; }
    bool isAdjustable() const { return m_isAdjustable; }
    AudioHardware::DeviceID deviceID() const { return m_deviceID; }
    bool isRunning() const { return m_isRunning; }

    /// Follows the default output device. Idempotent.
    void start();
    /// Stops following; the published values keep their last state. Idempotent.
    void stop();
    /// Clamped to 0…1, or to the current level when that is above 1: an
    /// over-amplified sink is kept or lowered, never raised further. Raising
    /// above 0 unmutes. Nothing happens unless adjustable.
    void setLevel(double level);
    void setMuted(bool muted);

Q_SIGNALS:
    void levelChanged();
    void isMutedChanged();
    void isAdjustableChanged();
    /// A change to show.
    void changes();

private:
    void bindDefaultDevice();
    void unbindDevice();
    void refresh(ChangeReporting reporting);

    AudioHardware& m_hardware;
    double m_level = 0;
    bool m_isMuted = false;
    bool m_isAdjustable = false;
    AudioHardware::DeviceID m_deviceID = 0;
    QMetaObject::Connection m_defaultDeviceListener;
    QMetaObject::Connection m_deviceListener;
    bool m_isRunning = false;
};
