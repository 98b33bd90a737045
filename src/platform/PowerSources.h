#pragma once

#include <QList>
#include <QObject>

#include <optional>

/// One power source as the battery reads it. Fields the source does not
/// report, or reports with an unusable value, are absent.
struct PowerSourceDescription {
    /// The machine's own battery, not a UPS or a device's (a mouse's).
    bool isInternalBattery = false;
    /// Absent when the source does not say; only false skips it.
    std::optional<bool> isPresent;
    std::optional<int> currentCapacity;
    std::optional<int> maxCapacity;
    bool isCharging = false;
    /// The machine runs on external power.
    bool isOnACPower = false;

    friend bool operator==(const PowerSourceDescription&, const PowerSourceDescription&) = default;
};

/// The machine's power sources: a snapshot on demand and a signal when any
/// of them changes. Main thread only; snapshot() never waits on I/O.
class PowerSources : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;

    /// The sources as last known, in the system's order; empty before the
    /// first answer and on a machine without any.
    virtual QList<PowerSourceDescription> snapshot() const = 0;
    /// Starts following the sources: changed() follows every change, the
    /// first read included. False when changes cannot be followed; the
    /// sources are then read once and changed() reports that read only.
    virtual bool startObserving() = 0;
    virtual void stopObserving() = 0;

Q_SIGNALS:
    void changed();
};
