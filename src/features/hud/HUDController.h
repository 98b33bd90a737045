#pragma once

#include "BrightnessService.h"
#include "HUDPresenter.h"
#include "MediaKeyInterceptor.h"
#include "VolumeService.h"

#include <QObject>
#include <QtQml/qqmlregistration.h>

class SettingsStore;

/// Turns media keys into new volume, mute and brightness values, starts and
/// stops its parts with the HUD settings, and tells the presenter what to
/// show when a level changes.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class HUDController : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")
    Q_PROPERTY(HUDPresenter* presenter READ presenter CONSTANT FINAL)
public:
    /// A media key without the fine modifier moves the level by 1/16.
    static constexpr double normalStep = 0.0625;
    /// With Shift and Alt held, by 1/64.
    static constexpr double fineStep = 0.015625;

    /// Builds the four parts; nothing runs until start().
    HUDController(SettingsStore& settings, AudioHardware& audio, DisplayBrightness& display, MediaKeyGrabber& keys,
        Scheduler& scheduler = Scheduler::system(), QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(HUDController)

    HUDPresenter* presenter() { return &m_presenter; }
    VolumeService& volume() { return m_volume; }
    BrightnessService& brightness() { return m_brightness; }
    MediaKeyInterceptor& keyInterceptor() { return m_keyInterceptor; }

    /// Follows the HUD settings and the services from now on. Once.
    void start();
    /// Stops every part and hides the HUD (at termination).
    void stop();

    /// Turns a captured key into a new level; true swallows the key.
    bool handle(const MediaKeyPress& press);

    /// The level bar is dragged to `level`: the HUD stays while the user drags.
    Q_INVOKABLE void levelBarDragged(double level);
    /// The drag ended at `level`: the countdown to hide starts.
    Q_INVOKABLE void levelBarDragEnded(double level);
    /// The drag was taken away (the island hid): the countdown starts, the level stays.
    Q_INVOKABLE void levelBarDragCancelled();

    /// The level after one step from `level` on the grid of `step`: an
    /// off-grid level snaps to the grid first. Clamped to 0…1; a level above
    /// 1 stays on "up" and steps down on the same grid.
    static double stepped(double level, double step, int direction);

private:
    void setShownLevel(double level);

    SettingsStore& m_settings;
    HUDPresenter m_presenter;
    VolumeService m_volume;
    BrightnessService m_brightness;
    MediaKeyInterceptor m_keyInterceptor;
    bool m_started = false;
};
