#include "AudioWave.h"

#include <algorithm>
#include <array>

double AudioWave::barDuration(int index)
{
    static constexpr std::array<double, 4> durations{0.52, 0.71, 0.46, 0.63};
    return durations[size_t(std::clamp(index, 0, 3))];
}

double AudioWave::phaseOffset(int index)
{
    return 0.13 * std::clamp(index, 0, 3);
}

double AudioWave::width(double barWidth, double barSpacing)
{
    return 4 * barWidth + 3 * barSpacing;
}

double AudioWave::barCenterX(int index, double barWidth, double barSpacing)
{
    return barWidth / 2 + index * (barWidth + barSpacing);
}

double AudioWave::shadowOpacity(double glow)
{
    return 0.9 * std::clamp(glow, 0.0, 1.0);
}

double AudioWave::shadowRadius(double glow)
{
    return 4 * std::clamp(glow, 0.0, 1.0);
}
