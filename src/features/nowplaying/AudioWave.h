#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

/// Timing and geometry of the four animated audio bars, shared by the
/// status band and the Now Playing tab.
// Not final: QML derives from the types it creates.
class AudioWave : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON
    /// Number of bars.
    Q_PROPERTY(int barCount READ barCount CONSTANT FINAL)
    /// Vertical scale of a resting bar and the low end of the animation.
    Q_PROPERTY(double restingScale READ restingScale CONSTANT FINAL)
public:
    using QObject::QObject;

    static int barCount() { return 4; }
    static double restingScale() { return 0.25; }
    /// One half-cycle of bar `index` (0.52, 0.71, 0.46, 0.63 s), auto-reversing forever.
    Q_INVOKABLE static double barDuration(int index);
    /// How far bar `index` starts into its cycle: 0.13 s per bar.
    Q_INVOKABLE static double phaseOffset(int index);
    /// The view's width: 4 bars and 3 gaps.
    Q_INVOKABLE static double width(double barWidth, double barSpacing);
    /// Horizontal centre of bar `index`.
    Q_INVOKABLE static double barCenterX(int index, double barWidth, double barSpacing);
    /// Vertical scale of bar `index` `seconds` after the bars started moving:
    /// 0.25 up to 1.0 and back, eased in and out, already `phaseOffset` into its cycle.
    Q_INVOKABLE static double barScale(int index, double seconds);
    /// Glow of the bars' shadow: opacity 0.9 × glow and radius 4 × glow, glow limited to 0…1.
    Q_INVOKABLE static double shadowOpacity(double glow);
    Q_INVOKABLE static double shadowRadius(double glow);
};
