#pragma once

#include <QObject>

#include <optional>

/// The built-in display's brightness, 0…1, as the brightness service needs
/// it: read and set with a 0 status on success, whether it can change, and
/// the changes made from outside (the desktop's own keys, another tool).
class DisplayBrightness : public QObject {
    Q_OBJECT
public:
    using DisplayID = quint32;

    using QObject::QObject;

    /// The built-in display; absent on a machine without one.
    virtual std::optional<DisplayID> builtInDisplay() const = 0;
    virtual bool canChangeBrightness(DisplayID display) const = 0;
    /// 0 on success, with `level` filled; else a non-zero status for the log.
    virtual int brightness(DisplayID display, float& level) const = 0;
    virtual int setBrightness(DisplayID display, float level) = 0;
    /// The lowest level a set gives: above 0 where 0 would switch the panel off.
    virtual float lowestLevel(DisplayID display) const = 0;
    /// Starts reporting changes through brightnessChanged(); 0 on success.
    virtual int observeChanges(DisplayID display) = 0;
    virtual void stopObservingChanges(DisplayID display) = 0;

Q_SIGNALS:
    /// The brightness is now `level`, whoever changed it.
    void brightnessChanged(double level);
};
