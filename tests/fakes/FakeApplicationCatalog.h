#pragma once

#include "ApplicationCatalog.h"

#include <QHash>
#include <QStringList>

/// Applications from tables; counts look-ups and records activations.
class FakeApplicationCatalog final : public ApplicationCatalog {
public:
    QHash<QString, ApplicationInfo> installed;
    QHash<qint32, ApplicationInfo> running;
    int lookups = 0;
    QStringList opened;
    QList<qint32> activated;
    QString openError;

    std::optional<ApplicationInfo> applicationForDesktopEntry(const QString& desktopEntry) override
    {
        ++lookups;
        return installed.contains(desktopEntry) ? std::optional(installed.value(desktopEntry)) : std::nullopt;
    }
    std::optional<ApplicationInfo> runningApplication(qint32 processIdentifier) override
    {
        ++lookups;
        return running.contains(processIdentifier) ? std::optional(running.value(processIdentifier)) : std::nullopt;
    }
    void openApplication(const QString& desktopEntry, std::function<void(const QString&)> done) override
    {
        opened << desktopEntry;
        done(openError);
    }
    void activateRunningApplication(qint32 processIdentifier) override { activated << processIdentifier; }
};
