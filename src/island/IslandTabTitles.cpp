#include "IslandTabTitles.h"

IslandTabTitles::IslandTabTitles(QObject* parent)
    : QObject(parent)
{
}

QString IslandTabTitles::title(IslandTab tab)
{
    switch (tab) {
    case IslandTab::nowPlaying:
        return QStringLiteral("Now Playing");
    case IslandTab::calendar:
        return QStringLiteral("Calendar");
    case IslandTab::clipboard:
        return QStringLiteral("Clipboard");
    case IslandTab::shelf:
        return QStringLiteral("Shelf");
    case IslandTab::activities:
        return QStringLiteral("Activities");
    }
    return {};
}

QString IslandTabTitles::rawValue(IslandTab tab)
{
    return IslandTabs::rawValue(tab);
}
