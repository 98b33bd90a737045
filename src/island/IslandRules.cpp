#include "IslandRules.h"

QList<IslandTab> IslandRules::availableTabs(
    bool showNowPlaying, bool showCalendar, bool showClipboard, bool showShelf, bool hasActivities)
{
    QList<IslandTab> tabs;
    if (showNowPlaying)
        tabs.append(IslandTab::nowPlaying);
    if (showCalendar)
        tabs.append(IslandTab::calendar);
    if (showClipboard)
        tabs.append(IslandTab::clipboard);
    if (showShelf)
        tabs.append(IslandTab::shelf);
    if (hasActivities)
        tabs.append(IslandTab::activities);
    return tabs;
}

std::optional<IslandTab> IslandRules::activeTab(const QList<IslandTab>& available, IslandTab selected)
{
    if (available.contains(selected))
        return selected;
    if (available.isEmpty())
        return std::nullopt;
    return available.first();
}

CalendarTabStyle IslandRules::calendarStyle(bool calendarShowsTodayOnly)
{
    return calendarShowsTodayOnly ? CalendarTabStyle::today : CalendarTabStyle::month;
}

IslandStatusContent IslandRules::statusContent(bool showClock, bool showBattery, bool showStatusInCompact, bool hasBattery)
{
    return IslandStatusContent { showClock, showBattery && hasBattery, showStatusInCompact };
}

IslandCompactActivity IslandRules::compactActivity(
    const IslandStatusContent& content, bool mediaActive, bool hudVisible, bool activityRunning)
{
    if (hudVisible)
        return IslandCompactActivity::hud;
    if (activityRunning)
        return IslandCompactActivity::liveActivity;
    if (mediaActive)
        return IslandCompactActivity::media;
    if ((content.showsClock || content.showsBattery) && content.showsInCompact)
        return IslandCompactActivity::status;
    return IslandCompactActivity::none;
}
