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

    std::optional<ApplicationInfo> applicationForBundleIdentifier(const QString& bundleIdentifier) override
    {
        ++lookups;
        if (!installed.contains(bundleIdentifier))
            return std::nullopt;
        return installed.value(bundleIdentifier);
    }
    std::optional<ApplicationInfo> runningApplication(qint32 processIdentifier) override
    {
        ++lookups;
        if (!running.contains(processIdentifier))
            return std::nullopt;
        return running.value(processIdentifier);
    }
    void openApplication(const QString& bundleIdentifier, std::function<void(const QString&)> done) override
    {
        opened << bundleIdentifier;
        done(openError);
    }
    void activateRunningApplication(qint32 processIdentifier) override { activated << processIdentifier; }
};
