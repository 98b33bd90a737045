#pragma once

#include "DisplayBrightness.h"
#include "Scheduler.h"

#include <QList>
#include <QObject>

#include <optional>

/// The built-in display's brightness, read, set and followed. An outside
/// change is shown when the level has moved by 0.03 or more within a second,
/// so a slow drift updates the level silently.
class BrightnessService final : public QObject {
    Q_OBJECT
    /// Brightness of the built-in display, 0…1, as last read, set or reported.
    Q_PROPERTY(double level READ level NOTIFY levelChanged FINAL)
    /// Brightness can be read and set.
    Q_PROPERTY(bool isAvailable READ isAvailable NOTIFY isAvailableChanged FINAL)
public:
    BrightnessService(DisplayBrightness& display, Scheduler& scheduler, QObject* parent = nullptr);
    BrightnessService(const BrightnessService&) = delete;
    BrightnessService& operator=(const BrightnessService&) = delete;

    double level() const { return m_level; }
    bool isAvailable() const { return m_isAvailable; }
    bool isRunning() const { return m_isRunning; }

    /// Finds the built-in display, reads its level and follows it. Decides
    /// availability once; only stop() and start() decide again.
    void start();
    void stop();
    /// Clamped to the display's lowest lit level…1; a successful set is shown.
    void setLevel(double level);

Q_SIGNALS:
    void levelChanged();
    void isAvailableChanged();
    /// A change to show.
    void changes();

private:
    struct RecentLevel {
        qint64 date;
        double level;
    };
    void brightnessDidChange(double value);
    void publishLevel(double level);
    void publishAvailable(bool available);

    DisplayBrightness& m_display;
    Scheduler& m_scheduler;
    double m_level = 0;
    bool m_isAvailable = false;
    std::optional<DisplayBrightness::DisplayID> m_displayID;
    QList<RecentLevel> m_recentLevels;
    QMetaObject::Connection m_observer;
    bool m_isRunning = false;
};
