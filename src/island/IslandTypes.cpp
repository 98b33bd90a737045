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
    case IslandTab::activities:
        return QStringLiteral("activities");
    }
    return {};
}
