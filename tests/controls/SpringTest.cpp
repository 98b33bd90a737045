#include "Spring.h"

#include <gtest/gtest.h>

#include <cmath>

namespace {
// x'' = −k (x − 1) − c x', integrated with RK4, as an independent check of
// the closed form and of the response/fraction conversion.
double integrate(double stiffness, double damping, double until)
{
    double x = 0, v = 0;
    const double h = 1e-4;
    auto acc = [&](double px, double pv) { return -stiffness * (px - 1) - damping * pv; };
    for (double t = 0; t < until - h / 2; t += h) {
        const double k1x = v, k1v = acc(x, v);
        const double k2x = v + h / 2 * k1v, k2v = acc(x + h / 2 * k1x, v + h / 2 * k1v);
        const double k3x = v + h / 2 * k2v, k3v = acc(x + h / 2 * k2x, v + h / 2 * k2v);
        const double k4x = v + h * k3v, k4v = acc(x + h * k3x, v + h * k3v);
        x += h / 6 * (k1x + 2 * k2x + 2 * k3x + k4x);
        v += h / 6 * (k1v + 2 * k2v + 2 * k3v + k4v);
    }
    return x;
}
} // namespace

TEST(SpringTest, ResponseAndFractionGiveStiffnessAndDamping)
{
    for (const auto& [spring, times] : { std::pair { Spring(0.42, 0.72), QList { 0.05, 0.12, 0.3, 0.6 } },
             { Spring(0.32, 1.0), { 0.05, 0.2, 0.4 } }, { Spring(0.5, 1.6), { 0.1, 0.5 } } }) {
        for (double t : times)
            EXPECT_NEAR(spring.value(t), integrate(spring.stiffness(), spring.damping(), t), 1e-6) << t;
    }
}

TEST(SpringTest, SettlesAndTheEasingCurveFollowsTheSpring)
{
    for (const Spring& s : { Spring(0.42, 0.72), Spring(0.32, 1.0), Spring(0.25, 0.85), Spring(0.4, 0.8) }) {
        const double settle = s.settleTime();
        EXPECT_GT(settle, s.response() * 0.5);
        EXPECT_LT(settle, s.response() * 3);
        for (double t = settle; t < settle + 2; t += 0.01)
            ASSERT_LT(std::abs(s.value(t) - 1), 0.001);
        EXPECT_FALSE(std::abs(s.value(settle - 0.05) - 1) < 0.001 && std::abs(s.velocity(settle - 0.05)) < 0.01);

        const QEasingCurve curve = s.easingCurve();
        for (double p = 0; p <= 1.0; p += 0.01)
            ASSERT_NEAR(curve.valueForProgress(p), s.value(p * settle), 0.0015) << p;
        EXPECT_DOUBLE_EQ(curve.valueForProgress(1.0), 1.0);
    }
}
