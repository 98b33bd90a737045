#pragma once

#include <QObject>
#include <QString>
#include <QUrl>

#include <optional>

/// The update framework: checks a feed for a newer version of the program
/// and tells the user. Created without starting; start() can fail.
class UpdateFramework : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// Starts the updater on `feed`; the error's description on failure.
    virtual std::optional<QString> startUpdater(const QUrl& feed) = 0;
    /// A check can start now (started, and none running).
    virtual bool canCheckForUpdates() const = 0;
    /// Checks now and tells the user what it found.
    virtual void checkForUpdates() = 0;
    /// Whether checks also run by themselves (at most once a day).
    virtual bool automaticallyChecksForUpdates() const = 0;
    virtual void setAutomaticallyChecksForUpdates(bool value) = 0;

Q_SIGNALS:
    void canCheckForUpdatesChanged();
    void automaticallyChecksForUpdatesChanged();
};
