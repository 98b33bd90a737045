#pragma once

#include "InstanceGuard.h"

/// Decides by a flag whether another copy runs; counts reopen requests.
class FakeInstanceGuard final : public InstanceGuard {
public:
    bool anotherRunning = false;
    int reopenRequests = 0;
    std::function<void()> pendingDone;

    bool claim() override { return !anotherRunning; }
    void requestReopen(std::function<void()> done) override
    {
        ++reopenRequests;
        pendingDone = std::move(done);
    }
    void simulateReopenFromLaterLaunch() { Q_EMIT reopenRequested(); }
};
