#pragma once

#include "IslandTypes.h"

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// Titles and names of the open island's tabs.
class IslandTabTitles : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit IslandTabTitles(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandTabTitles)

    /// "Now Playing", "Calendar", "Clipboard", "Shelf" or "Activities"; empty for an unknown tab.
    Q_INVOKABLE static QString title(IslandTabs::IslandTab tab);
    /// "nowPlaying", "calendar", "clipboard", "shelf" or "activities", for object names.
    Q_INVOKABLE static QString rawValue(IslandTabs::IslandTab tab);
};
