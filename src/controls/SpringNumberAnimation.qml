import QtQuick
import Brimwell.Controls

// A NumberAnimation that moves like a damped spring: the duration is the
// time the spring needs to settle and the easing is its closed-form motion.
NumberAnimation {
    /// Seconds for one undamped oscillation.
    property real response: 0.55
    /// 1 settles without overshoot; below 1 overshoots.
    property real dampingFraction: 0.825

    duration: Springs.duration(response, dampingFraction)
    easing.type: Easing.BezierSpline
    easing.bezierCurve: Springs.bezierCurve(response, dampingFraction)
}
