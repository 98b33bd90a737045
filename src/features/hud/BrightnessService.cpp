#include "BrightnessService.h"

#include "HUDLog.h"

#include <algorithm>

BrightnessService::BrightnessService(DisplayBrightness& display, Scheduler& scheduler, QObject* parent)
    : QObject(parent)
    , m_display(display)
    , m_scheduler(scheduler)
{
}

void BrightnessService::start()
{
    if (m_isRunning)
        return;
    m_isRunning = true;
    const std::optional<DisplayBrightness::DisplayID> display = m_display.builtInDisplay();
    if (!display || !m_display.canChangeBrightness(*display)) {
        publishAvailable(false);
        qCWarning(lcHUD, "Built-in display brightness is not available");
        return;
    }
    m_displayID = display;
    publishAvailable(true);
    float level = 0;
    if (m_display.brightness(*display, level) == 0)
        publishLevel(level);
    m_observer = connect(&m_display, &DisplayBrightness::brightnessChanged, this, &BrightnessService::brightnessDidChange);
    if (const int status = m_display.observeChanges(*display))
        qCCritical(lcHUD, "Unable to observe brightness changes: %d", status);
}

void BrightnessService::stop()
{
    if (!m_isRunning)
        return;
    m_isRunning = false;
    disconnect(m_observer);
    if (m_displayID)
        m_display.stopObservingChanges(*m_displayID);
    m_displayID.reset();
    m_recentLevels.clear();
}

void BrightnessService::brightnessDidChange(double value)
{
    if (!m_isRunning)
        return;
    const qint64 now = m_scheduler.monotonicMs();
    m_recentLevels.removeIf([now](const RecentLevel& entry) { return now - entry.date >= 1000; });
    m_recentLevels.append({ now, value });
    const double previous = m_level;
    publishLevel(value);
    double lowest = previous;
    double highest = previous;
    for (const RecentLevel& entry : std::as_const(m_recentLevels)) {
        lowest = std::min(lowest, entry.level);
        highest = std::max(highest, entry.level);
    }
    if (highest - lowest >= 0.03)
        Q_EMIT changes();
}

void BrightnessService::setLevel(double level)
{
    if (!m_displayID || !m_isAvailable)
        return;
    // No set switches the panel off: the lowest step gives the lowest lit level.
    const double lowest = m_display.lowestLevel(*m_displayID);
    const double clamped = level > lowest ? std::min(level, 1.0) : lowest; // NaN is not above it
    if (const int status = m_display.setBrightness(*m_displayID, float(clamped))) {
        qCCritical(lcHUD, "Unable to set brightness: %d", status);
        return;
    }
    publishLevel(clamped);
    Q_EMIT changes();
}

void BrightnessService::publishLevel(double level)
{
    if (level == m_level)
        return;
    m_level = level;
    Q_EMIT levelChanged();
}

void BrightnessService::publishAvailable(bool available)
{
    if (available == m_isAvailable)
        return;
    m_isAvailable = available;
    Q_EMIT isAvailableChanged();
}
