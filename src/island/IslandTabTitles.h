#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// Titles of the open island's tabs, by the tab's raw value.
class IslandTabTitles : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

public:
    explicit IslandTabTitles(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandTabTitles)

    /// "Now Playing", "Calendar", "Clipboard" or "Shelf"; empty for an unknown tab.
    Q_INVOKABLE static QString title(const QString& tab);
};
