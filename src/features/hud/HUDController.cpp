#include "HUDController.h"

#include "Observe.h"
#include "SettingsStore.h"

#include <QPointer>

#include <algorithm>
#include <cmath>

HUDController::HUDController(SettingsStore& settings, AudioHardware& audio, DisplayBrightness& display, MediaKeyGrabber& keys,
    Scheduler& scheduler, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_presenter(scheduler)
    , m_volume(audio)
    , m_brightness(display, scheduler)
    , m_keyInterceptor(keys, scheduler)
{
    QPointer<HUDController> self(this);
    m_keyInterceptor.setHandler([self](const MediaKeyPress& press) { return self && self->handle(press); });
}

void HUDController::start()
{
    if (m_started)
        return;
    m_started = true;

    observeDistinct(&m_settings, &SettingsStore::showVolumeHUD, &SettingsStore::showVolumeHUDChanged, this, [this](bool on) {
        if (on)
            return m_volume.start();
        m_volume.stop();
        if (m_presenter.state() && m_presenter.state()->kind == HUDKind::volume)
            m_presenter.dismiss();
    });
    observeDistinct(
        &m_settings, &SettingsStore::showBrightnessHUD, &SettingsStore::showBrightnessHUDChanged, this, [this](bool on) {
            if (on)
                return m_brightness.start();
            m_brightness.stop();
            if (m_presenter.state() && m_presenter.state()->kind == HUDKind::brightness)
                m_presenter.dismiss();
        });
    observe(&m_settings, &SettingsStore::hudDuration, &SettingsStore::hudDurationChanged, this,
        [this](double seconds) { m_presenter.setDisplayDuration(HUDPresenter::Duration(std::llround(seconds * 1000))); });

    // The keys are taken only to replace the desktop's pop-up, and only
    // while some level is to be shown.
    auto wantsKeys = std::make_shared<std::optional<bool>>();
    const auto keysDidChange = [this, wantsKeys] {
        const bool wants = m_settings.replaceSystemHUD() && (m_settings.showVolumeHUD() || m_settings.showBrightnessHUD());
        if (*wantsKeys == wants)
            return;
        *wantsKeys = wants;
        if (wants) {
            m_keyInterceptor.setWantsToRun(true);
            m_keyInterceptor.refreshTrust();
        } else {
            m_keyInterceptor.stop();
        }
    };
    for (auto signal : { &SettingsStore::replaceSystemHUDChanged, &SettingsStore::showVolumeHUDChanged,
             &SettingsStore::showBrightnessHUDChanged })
        connect(&m_settings, signal, this, keysDidChange);
    keysDidChange();

    connect(&m_volume, &VolumeService::changes, this, [this] {
        m_presenter.show({ HUDKind::volume, m_volume.level(), m_volume.isMuted() });
    });
    connect(&m_brightness, &BrightnessService::changes, this, [this] {
        m_presenter.show({ HUDKind::brightness, m_brightness.level(), false });
    });
    const auto volumeDidChange = [this] { m_presenter.update({ HUDKind::volume, m_volume.level(), m_volume.isMuted() }); };
    connect(&m_volume, &VolumeService::levelChanged, this, volumeDidChange);
    connect(&m_volume, &VolumeService::isMutedChanged, this, volumeDidChange);
    connect(&m_brightness, &BrightnessService::levelChanged, this, [this] {
        m_presenter.update({ HUDKind::brightness, m_brightness.level(), false });
    });
}

void HUDController::stop()
{
    m_keyInterceptor.stop();
    m_volume.stop();
    m_brightness.stop();
    m_presenter.dismiss();
}

double HUDController::stepped(double level, double step, int direction)
{
    // Above the normal volume (an over-amplified PulseAudio sink) the top
    // of the range is the level itself: up leaves it, down steps below it.
    // Clamping such a level to 1 would move it the wrong way on "up".
    if (level > 1 && direction > 0)
        return level;
    // Nearest grid point, halves away from zero, then one step.
    const double next = step * (std::round(level / step) + direction);
    return std::clamp(next, 0.0, std::max(level, 1.0));
}

bool HUDController::handle(const MediaKeyPress& press)
{
    const double step = press.isFineStep ? fineStep : normalStep;
    switch (press.key) {
    case MediaKey::volumeUp:
    case MediaKey::volumeDown:
    case MediaKey::mute:
        // Keys the HUD can't act on go to the desktop.
        if (!m_settings.showVolumeHUD() || !m_volume.isAdjustable())
            return false;
        if (!press.isKeyDown)
            return true;
        if (press.key == MediaKey::mute)
            m_volume.setMuted(!m_volume.isMuted());
        else if (press.key == MediaKey::volumeUp)
            m_volume.setLevel(stepped(m_volume.isMuted() ? 0 : m_volume.level(), step, +1));
        else
            m_volume.setLevel(stepped(m_volume.level(), step, -1));
        return true;
    case MediaKey::brightnessUp:
    case MediaKey::brightnessDown:
        if (!m_settings.showBrightnessHUD() || !m_brightness.isAvailable())
            return false;
        if (press.isKeyDown)
            m_brightness.setLevel(stepped(m_brightness.level(), step, press.key == MediaKey::brightnessUp ? +1 : -1));
        return true;
    }
    return false;
}

void HUDController::setShownLevel(double level)
{
    if (m_presenter.kind() == HUDKind::brightness)
        m_brightness.setLevel(level);
    else
        m_volume.setLevel(level);
}

void HUDController::levelBarDragged(double level)
{
    m_presenter.setInteracting(true);
    m_presenter.cancelHide();
    setShownLevel(level);
}

void HUDController::levelBarDragEnded(double level)
{
    setShownLevel(level);
    m_presenter.setInteracting(false);
    m_presenter.scheduleHide();
}

void HUDController::levelBarDragCancelled()
{
    m_presenter.setInteracting(false);
    if (m_presenter.state())
        m_presenter.scheduleHide();
}
