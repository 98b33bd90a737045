#pragma once

#include "IslandTypes.h"

/// How the island's state follows from the settings and the features.
namespace IslandRules {

/// The tabs whose features are switched on, in tab order; Activities only
/// while one runs.
QList<IslandTab> availableTabs(
    bool showNowPlaying, bool showCalendar, bool showClipboard, bool showShelf, bool hasActivities = false);
/// The selected tab when it is available, else the first available one.
std::optional<IslandTab> activeTab(const QList<IslandTab>& available, IslandTab selected);
CalendarTabStyle calendarStyle(bool calendarShowsTodayOnly);
/// A computer without a battery never shows one.
IslandStatusContent statusContent(bool showClock, bool showBattery, bool showStatusInCompact, bool hasBattery);
/// HUD before a live activity before media before the status band.
IslandCompactActivity compactActivity(
    const IslandStatusContent& content, bool mediaActive, bool hudVisible, bool activityRunning = false);

} // namespace IslandRules
