#pragma once

#include <QObject>

/// Whether the desktop shows tray icons: a StatusNotifierItem watcher on the
/// session bus or an XEmbed tray manager on the X screen. Followed as hosts
/// come and go, so a tray icon can appear once a panel starts.
class TrayHost : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Some host takes tray icons now.
    virtual bool isAvailable() const = 0;

Q_SIGNALS:
    void availableChanged();
};
