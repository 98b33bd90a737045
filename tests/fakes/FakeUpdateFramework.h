#pragma once

#include "UpdateFramework.h"

/// An update framework that records what it is asked; start fails on demand.
class FakeUpdateFramework final : public UpdateFramework {
public:
    std::optional<QString> startFailure;
    std::optional<QUrl> startedWith;
    int checks = 0;
    bool canCheck = true;
    bool automatic = true;

    std::optional<QString> startUpdater(const QUrl& feed) override
    {
        if (!startFailure)
            startedWith = feed;
        return startFailure;
    }
    bool canCheckForUpdates() const override { return startedWith && canCheck; }
    void checkForUpdates() override { ++checks; }
    bool automaticallyChecksForUpdates() const override { return automatic; }
    void setAutomaticallyChecksForUpdates(bool value) override
    {
        automatic = value;
        Q_EMIT automaticallyChecksForUpdatesChanged();
    }
    void setCanCheck(bool value)
    {
        canCheck = value;
        Q_EMIT canCheckForUpdatesChanged();
    }
};
