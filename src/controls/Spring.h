#pragma once

#include <QEasingCurve>

/// A damped spring of unit mass pulled from 0 towards 1, described the way
/// designers give it: `response` is the period of the undamped oscillation in
/// seconds, `dampingFraction` 1 is critical damping (no overshoot), below 1
/// overshoots. Stiffness is (2π / response)², damping 4π × fraction / response.
/// Solved in closed form, so a value at any time costs a few exp/cos calls.
class Spring final {
public:
    /// A response at or below zero is taken as 1 ms; a negative fraction as 0.
    Spring(double response, double dampingFraction);

    double response() const { return m_response; }
    double dampingFraction() const { return m_fraction; }
    double stiffness() const { return m_omega * m_omega; }
    double damping() const { return 2 * m_fraction * m_omega; }

    /// Position at `t` seconds after release from rest at 0.
    double value(double t) const;
    /// Velocity (units per second) at `t`.
    double velocity(double t) const;
    /// Seconds after which the spring stays within 0.001 of 1 and moves
    /// slower than 0.01 per second: the length of the animation.
    double settleTime() const;
    /// The motion as an easing curve over progress 0…1 of settleTime(): a
    /// chain of cubic Bézier segments matching position and velocity at
    /// each joint, ending exactly at (1, 1).
    QEasingCurve easingCurve() const;

private:
    double m_response;
    double m_fraction;
    double m_omega; // undamped angular frequency
};
