#include "VolumeService.h"

#include "HUDLog.h"

#include <algorithm>
#include <cmath>

BRIMWELL_LOGGING_CATEGORY(lcHUD, "brimwell.hud", "HUD")

VolumeService::VolumeService(AudioHardware& hardware, QObject* parent)
    : QObject(parent)
    , m_hardware(hardware)
{
}

void VolumeService::start()
{
    if (m_isRunning)
        return;
    m_isRunning = true;
    m_defaultDeviceListener
        = connect(&m_hardware, &AudioHardware::defaultOutputDeviceChanged, this, &VolumeService::bindDefaultDevice);
    bindDefaultDevice();
}

void VolumeService::stop()
{
    if (!m_isRunning)
        return;
    m_isRunning = false;
    unbindDevice();
    disconnect(m_defaultDeviceListener);
}

void VolumeService::bindDefaultDevice()
{
    unbindDevice();
    int status = 0;
    const AudioHardware::DeviceID device = m_hardware.defaultOutputDevice(status);
    if (status != 0 || device == 0) {
        // Still being looked up: the device arrives with the next notice.
        if (status == AudioHardware::lookupPendingStatus)
            qCInfo(lcHUD, "Waiting for the default output device");
        else
            qCCritical(lcHUD, "No default output device: %d", status);
        m_deviceID = 0;
        if (m_isAdjustable) {
            m_isAdjustable = false;
            Q_EMIT isAdjustableChanged();
        }
        return;
    }
    m_deviceID = device;
    m_deviceListener = connect(&m_hardware, &AudioHardware::deviceChanged, this, [this](AudioHardware::DeviceID changed) {
        if (changed == m_deviceID)
            refresh(ChangeReporting::ifChanged);
    });
    // A switch of output is taken in silently.
    refresh(ChangeReporting::none);
}

void VolumeService::unbindDevice()
{
    disconnect(m_deviceListener);
}

void VolumeService::refresh(ChangeReporting reporting)
{
    const bool adjustable = m_deviceID != 0 && m_hardware.hasVolume(m_deviceID) && m_hardware.isVolumeSettable(m_deviceID);
    const double level
        = m_deviceID != 0 && m_hardware.hasVolume(m_deviceID) ? double(m_hardware.volume(m_deviceID).value_or(0)) : 0.0;
    const bool muted = m_deviceID != 0 && m_hardware.hasMute(m_deviceID) && m_hardware.isMuted(m_deviceID).value_or(false);
    const bool changed = std::abs(level - m_level) > 0.001 || muted != m_isMuted;
    if (adjustable != m_isAdjustable) {
        m_isAdjustable = adjustable;
        Q_EMIT isAdjustableChanged();
    }
    if (changed) {
        if (level != m_level) {
            m_level = level;
            Q_EMIT levelChanged();
        }
        if (muted != m_isMuted) {
            m_isMuted = muted;
            Q_EMIT isMutedChanged();
        }
    }
    if (reporting == ChangeReporting::always || (reporting == ChangeReporting::ifChanged && changed))
        Q_EMIT changes();
}

void VolumeService::setLevel(double level)
{
    if (!m_isAdjustable)
        return;
    // PulseAudio lets a sink go past its normal volume; the keys and the bar
    // may keep or lower such a level, but only the desktop's mixer raises it.
    const double ceiling = std::max(1.0, m_level);
    const float clamped = level > ceiling ? float(ceiling) : (level > 0 ? float(level) : 0.0f); // NaN is not above 0
    if (const int status = m_hardware.setVolume(m_deviceID, clamped))
        qCCritical(lcHUD, "Unable to set volume: %d", status);
    if (clamped > 0 && m_isMuted)
        setMuted(false);
    refresh(ChangeReporting::always);
}

void VolumeService::setMuted(bool muted)
{
    if (m_deviceID == 0 || !m_hardware.hasMute(m_deviceID))
        return;
    if (const int status = m_hardware.setMuted(m_deviceID, muted))
        qCCritical(lcHUD, "Unable to set mute: %d", status);
    refresh(ChangeReporting::always);
}
