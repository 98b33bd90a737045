#pragma once

#include <QString>

/// Whether an application is running right now.
class RunningApplications {
public:
    virtual ~RunningApplications() = default;
    /// True when an application with this bundle identifier runs.
    virtual bool isRunning(const QString& bundleIdentifier) const = 0;
};
