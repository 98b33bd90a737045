#include "IslandTypes.h"

QString IslandTabs::rawValue(IslandTab tab)
{
    switch (tab) {
    case IslandTab::nowPlaying:
        return QStringLiteral("nowPlaying");
    case IslandTab::calendar:
        return QStringLiteral("calendar");
    case IslandTab::clipboard:
        return QStringLiteral("clipboard");
    case IslandTab::shelf:
        return QStringLiteral("shelf");
    }
    return {};
}

std::optional<IslandTab> IslandTabs::fromRawValue(const QString& raw)
{
    for (IslandTab tab : allCases()) {
        if (rawValue(tab) == raw)
            return tab;
    }
    return std::nullopt;
}

QString rawValue(IslandCompactActivity activity)
{
    switch (activity) {
    case IslandCompactActivity::none:
        return QStringLiteral("none");
    case IslandCompactActivity::status:
        return QStringLiteral("status");
    case IslandCompactActivity::media:
        return QStringLiteral("media");
    case IslandCompactActivity::hud:
        return QStringLiteral("hud");
    }
    return {};
}

QString rawValue(CalendarTabStyle style)
{
    return style == CalendarTabStyle::today ? QStringLiteral("today") : QStringLiteral("month");
}
