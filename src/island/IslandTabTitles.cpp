#include "IslandTabTitles.h"

IslandTabTitles::IslandTabTitles(QObject* parent)
    : QObject(parent)
{
}

QString IslandTabTitles::title(const QString& tab)
{
    if (tab == QLatin1String("nowPlaying"))
        return QStringLiteral("Now Playing");
    if (tab == QLatin1String("calendar"))
        return QStringLiteral("Calendar");
    if (tab == QLatin1String("clipboard"))
        return QStringLiteral("Clipboard");
    if (tab == QLatin1String("shelf"))
        return QStringLiteral("Shelf");
    return {};
}
