#include "BatteryStatus.h"

#include <algorithm>
#include <cmath>

std::optional<BatteryStatus> BatteryStatus::read(const QList<PowerSourceDescription>& sources)
{
    for (const PowerSourceDescription& source : sources) {
        if (!source.isInternalBattery || source.isPresent == false || !source.currentCapacity || !source.maxCapacity
            || *source.maxCapacity < 1)
            continue;
        return BatteryStatus { percentage(*source.currentCapacity, *source.maxCapacity), source.isCharging, source.isOnACPower };
    }
    return std::nullopt;
}

int BatteryStatus::percentage(int currentCapacity, int maxCapacity)
{
    const double percent = double(currentCapacity) * 100.0 / double(maxCapacity);
    return int(std::clamp<long>(std::lround(percent), 0, 100)); // lround: halves away from zero
}
