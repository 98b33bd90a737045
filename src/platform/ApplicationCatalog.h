#pragma once

#include <QIcon>
#include <QString>

#include <functional>
#include <optional>

/// How an application presents itself: its icon and display name.
struct ApplicationInfo {
    QIcon icon;
    std::optional<QString> name;
};

/// Finds applications by identifier or by process, and brings them to the front.
class ApplicationCatalog {
public:
    virtual ~ApplicationCatalog() = default;
    /// The installed application with this identifier, if the system knows one.
    virtual std::optional<ApplicationInfo> applicationForDesktopEntry(const QString& desktopEntry) = 0;
    /// The running application with this process id, if there is one.
    virtual std::optional<ApplicationInfo> runningApplication(qint32 processIdentifier) = 0;
    /// Opens and activates the application; `done` receives an error
    /// description, empty on success (main thread).
    virtual void openApplication(const QString& desktopEntry, std::function<void(const QString& error)> done) = 0;
    /// Activates the running application with this process id.
    virtual void activateRunningApplication(qint32 processIdentifier) = 0;
};
