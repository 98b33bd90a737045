#pragma once

#include "AppInfo.h"
#include "UpdateFramework.h"

#include <QObject>
#include <QUrl>
#include <QtQml/qqmlregistration.h>

#include <optional>

/// Starts the update framework when the build names a valid feed, and
/// publishes whether updates are available and whether a check can start.
// Not final: Qt 6.4's QML registration derives from every type it could
// default-construct, uncreatable or not.
class UpdaterService : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")
    /// A check can start now.
    Q_PROPERTY(bool canCheckForUpdates READ canCheckForUpdates NOTIFY canCheckForUpdatesChanged FINAL)
    /// The updater runs (a valid feed, started without error).
    Q_PROPERTY(bool isAvailable READ isAvailable NOTIFY isAvailableChanged FINAL)
    /// A package manager brings the updates: no feed is read, no controls shown.
    Q_PROPERTY(bool isPackaged READ isPackaged CONSTANT FINAL)
    /// The framework's automatic-check setting.
    Q_PROPERTY(bool automaticallyChecksForUpdates READ automaticallyChecksForUpdates WRITE setAutomaticallyChecksForUpdates NOTIFY
            automaticallyChecksForUpdatesChanged FINAL)
public:
    /// Reads the feed and the packaging of `build`; nothing starts yet.
    UpdaterService(UpdateFramework& controller, BuildInfo build, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(UpdaterService)

    /// The feed of a configured address: trimmed, an https address with a
    /// host. Anything else is no feed.
    static std::optional<QUrl> feedURL(const QString& value);

    /// Once at launch: starts the framework when there is a feed and the
    /// program was not installed by a package manager.
    void start();
    bool isPackaged() const;
    bool canCheckForUpdates() const { return m_canCheckForUpdates; }
    bool isAvailable() const { return m_isAvailable; }
    bool automaticallyChecksForUpdates() const { return m_controller.automaticallyChecksForUpdates(); }
    void setAutomaticallyChecksForUpdates(bool value) { m_controller.setAutomaticallyChecksForUpdates(value); }
    UpdateFramework& controller() const { return m_controller; }
    /// Asks the framework to check, while updates are available.
    Q_INVOKABLE void checkForUpdates();

Q_SIGNALS:
    void canCheckForUpdatesChanged();
    void isAvailableChanged();
    void automaticallyChecksForUpdatesChanged();

private:
    void publishCanCheck(bool value);

    UpdateFramework& m_controller;
    BuildInfo m_build;
    bool m_canCheckForUpdates = false;
    bool m_isAvailable = false;
};
