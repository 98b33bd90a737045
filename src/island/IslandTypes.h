#pragma once

#include <QList>
#include <QString>

#include <optional>

/// Closed or open.
enum class IslandState { compact, expanded };

/// The open island's tabs, in the order of every tab list.
enum class IslandTab { nowPlaying, calendar, clipboard, shelf };

/// What the closed island shows beside the notch.
enum class IslandCompactActivity { none, status, media, hud };

/// How the Calendar tab looks.
enum class CalendarTabStyle { today, month };

/// What the status band holds.
struct IslandStatusContent {
    bool showsClock = false;
    bool showsBattery = false;
    bool showsInCompact = true;

    friend bool operator==(const IslandStatusContent&, const IslandStatusContent&) = default;
};

namespace IslandTabs {
/// Every tab, in order.
inline QList<IslandTab> allCases()
{
    return {IslandTab::nowPlaying, IslandTab::calendar, IslandTab::clipboard, IslandTab::shelf};
}
/// "nowPlaying", "calendar", "clipboard", "shelf".
QString rawValue(IslandTab tab);
/// The tab of a raw value; any other string gives none.
std::optional<IslandTab> fromRawValue(const QString& raw);
} // namespace IslandTabs

/// "none", "status", "media", "hud".
QString rawValue(IslandCompactActivity activity);
/// "today", "month".
QString rawValue(CalendarTabStyle style);
