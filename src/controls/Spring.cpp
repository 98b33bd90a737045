#include "Spring.h"

#include <QPointF>

#include <algorithm>
#include <cmath>
#include <numbers>

namespace {
constexpr double settleDistance = 0.001;
constexpr double settleSpeed = 0.01;
constexpr double longestSettle = 60.0;
// Qt 6.4 mis-evaluates Bézier splines of more than ten segments (it keeps
// ten slots), so the curve is made of exactly ten.
constexpr int curveSegments = 10;

bool isCritical(double fraction)
{
    return std::abs(fraction - 1.0) < 1e-9;
}
} // namespace

Spring::Spring(double response, double dampingFraction)
    : m_response(response > 0 ? response : 0.001)
    , m_fraction(std::max(0.0, dampingFraction))
    , m_omega(2 * std::numbers::pi / m_response)
{
}

// Displacement x = value − 1 starts at −1 with zero velocity.
double Spring::value(double t) const
{
    if (t <= 0)
        return 0;
    const double w = m_omega;
    const double z = m_fraction;
    if (isCritical(z))
        return 1 - (1 + w * t) * std::exp(-w * t);
    if (z < 1) {
        const double wd = w * std::sqrt(1 - z * z);
        return 1 - std::exp(-z * w * t) * (std::cos(wd * t) + z * w / wd * std::sin(wd * t));
    }
    const double root = std::sqrt(z * z - 1);
    const double r1 = -w * (z - root);
    const double r2 = -w * (z + root);
    const double c1 = r2 / (r1 - r2);
    const double c2 = -r1 / (r1 - r2);
    return 1 + c1 * std::exp(r1 * t) + c2 * std::exp(r2 * t);
}

double Spring::velocity(double t) const
{
    if (t <= 0)
        return 0;
    const double w = m_omega;
    const double z = m_fraction;
    if (isCritical(z))
        return w * w * t * std::exp(-w * t);
    if (z < 1) {
        const double wd = w * std::sqrt(1 - z * z);
        return std::exp(-z * w * t) * (w * w / wd) * std::sin(wd * t);
    }
    const double root = std::sqrt(z * z - 1);
    const double r1 = -w * (z - root);
    const double r2 = -w * (z + root);
    const double c1 = r2 / (r1 - r2);
    const double c2 = -r1 / (r1 - r2);
    return c1 * r1 * std::exp(r1 * t) + c2 * r2 * std::exp(r2 * t);
}

double Spring::settleTime() const
{
    // An undamped spring never settles; the cap keeps the animation finite.
    constexpr double step = 0.001;
    double lastUnsettled = 0;
    for (double t = step; t < longestSettle; t += step) {
        if (std::abs(value(t) - 1) >= settleDistance || std::abs(velocity(t)) >= settleSpeed)
            lastUnsettled = t;
        else if (t - lastUnsettled > m_response * 2)
            break; // quiet for two periods: it has settled for good
    }
    return std::min(longestSettle, lastUnsettled + step);
}

QEasingCurve Spring::easingCurve() const
{
    const double total = settleTime();
    // Joints crowd towards the start, where the spring moves fastest.
    const auto timeAt = [total](int i) { return total * std::pow(double(i) / curveSegments, 1.4); };
    QEasingCurve curve(QEasingCurve::BezierSpline);
    for (int i = 0; i < curveSegments; ++i) {
        const bool last = i + 1 == curveSegments;
        const double t0 = timeAt(i);
        const double t1 = timeAt(i + 1);
        const double dt = t1 - t0;
        const double x0 = t0 / total;
        const double x1 = last ? 1.0 : t1 / total;
        const double y0 = value(t0);
        const double y1 = last ? 1.0 : value(t1);
        // Hermite to Bézier: control points a third of the way along each
        // end's tangent; x is linear in time so the curve is exact in x.
        const QPointF c1(x0 + (x1 - x0) / 3, y0 + velocity(t0) * dt / 3);
        const QPointF c2(x1 - (x1 - x0) / 3, y1 - velocity(t1) * dt / 3);
        curve.addCubicBezierSegment(c1, c2, QPointF(x1, y1));
    }
    return curve;
}
