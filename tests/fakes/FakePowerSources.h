#pragma once

#include "PowerSources.h"

/// Power sources held in memory; change() replaces them and notifies.
class FakePowerSources final : public PowerSources {
public:
    QList<PowerSourceDescription> snapshot() const override { return sources; }
    bool startObserving() override
    {
        observing = canObserve;
        return canObserve;
    }
    void stopObserving() override { observing = false; }

    void change(QList<PowerSourceDescription> now)
    {
        sources = std::move(now);
        Q_EMIT changed();
    }

    /// An internal battery at `current` of 100.
    static PowerSourceDescription battery(int current, bool charging = false, bool onAC = false)
    {
        PowerSourceDescription d;
        d.isInternalBattery = true;
        d.currentCapacity = current;
        d.maxCapacity = 100;
        d.isCharging = charging;
        d.isOnACPower = onAC;
        return d;
    }

    QList<PowerSourceDescription> sources;
    bool canObserve = true;
    bool observing = false;
};
