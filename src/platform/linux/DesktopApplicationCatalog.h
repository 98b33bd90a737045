#pragma once

#include "ApplicationCatalog.h"

#include <QDBusConnection>
#include <QObject>

/// Applications on a freedesktop system: desktop entries (name and themed
/// icon) by identifier, /proc for running processes. Raising goes through
/// the player's MPRIS Raise; an application without a player that can be
/// raised is launched from its desktop entry.
class DesktopApplicationCatalog final : public QObject, public ApplicationCatalog {
    Q_OBJECT
public:
    explicit DesktopApplicationCatalog(const QDBusConnection& bus = QDBusConnection::sessionBus(), QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(DesktopApplicationCatalog)

    std::optional<ApplicationInfo> applicationForDesktopEntry(const QString& entryName) override;
    std::optional<ApplicationInfo> runningApplication(qint32 processIdentifier) override;
    void openApplication(const QString& entryName, std::function<void(const QString& error)> done) override;
    void activateRunningApplication(qint32 processIdentifier) override;

    /// The desktop file for an identifier ("vlc" → .../applications/vlc.desktop); empty when none.
    static QString desktopFile(const QString& entryName);
    /// Keys of the [Desktop Entry] group of a desktop file.
    static QHash<QString, QString> desktopEntry(const QString& path);
    /// The Exec line without its field codes, split into program and arguments.
    static QStringList commandLine(const QString& exec);

private:
    /// Calls `found` with the unique bus name of the MPRIS player that
    /// matches (given its well-known name), or empty. Nothing blocks.
    void findPlayer(std::function<bool(const QString& busName, const QString& desktopEntry, qint32 pid)> matches,
        std::function<void(const QString& busName)> found);
    /// Raises the player at `uniqueName`.
    void raise(const QString& uniqueName, std::function<void(bool ok)> done);
    static QString launch(const QString& entryName);

    QDBusConnection m_bus;
};
