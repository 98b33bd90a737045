#pragma once

#include "PowerSources.h"

#include <QList>

#include <optional>

/// The internal battery's state, compared field by field.
struct BatteryStatus {
    /// Charge in percent, 0…100.
    int level = 0;
    bool isCharging = false;
    /// On external power, charging or not (a full battery is not charging).
    bool isPluggedIn = false;

    friend bool operator==(const BatteryStatus&, const BatteryStatus&) = default;

    /// The first present internal battery with usable capacities; none
    /// when there is no such source.
    static std::optional<BatteryStatus> read(const QList<PowerSourceDescription>& sources);
    /// current ÷ max as a percentage, halves away from zero, within 0…100.
    static int percentage(int currentCapacity, int maxCapacity);
};
