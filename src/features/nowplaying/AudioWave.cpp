#include "AudioWave.h"

#include <QEasingCurve>
#include <QPointF>

#include <algorithm>
#include <array>
#include <cmath>

double AudioWave::barDuration(int index)
{
    static constexpr std::array<double, 4> durations { 0.52, 0.71, 0.46, 0.63 };
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

double AudioWave::barScale(int index, double seconds)
{
    // The ease-in-ease-out timing curve of the platform's animations.
    static const QEasingCurve easing = [] {
        QEasingCurve curve(QEasingCurve::BezierSpline);
        curve.addCubicBezierSegment(QPointF(0.42, 0), QPointF(0.58, 1), QPointF(1, 1));
        return curve;
    }();
    const double half = barDuration(index);
    const double t = std::max(0.0, seconds) + phaseOffset(index);
    const double cycle = std::fmod(t, 2 * half);
    // Auto-reverse: up during the first half of the cycle, down during the second.
    const double progress = cycle < half ? cycle / half : 2 - cycle / half;
    return restingScale() + (1 - restingScale()) * easing.valueForProgress(progress);
}

double AudioWave::shadowOpacity(double glow)
{
    return 0.9 * std::clamp(glow, 0.0, 1.0);
}

double AudioWave::shadowRadius(double glow)
{
    return 4 * std::clamp(glow, 0.0, 1.0);
}
