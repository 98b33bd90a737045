#pragma once

#include "RunningApplications.h"

#include <QSet>

/// Running applications from a set of bundle identifiers.
class FakeRunningApplications final : public RunningApplications {
public:
    QSet<QString> running;
    bool isRunning(const QString& bundleIdentifier) const override { return running.contains(bundleIdentifier); }
};
