#pragma once

#include <QObject>
#include <QVariantList>
#include <QtQml/qqmlregistration.h>

/// Springs for QML animations: `SpringNumberAnimation` takes its duration
/// and Bézier easing from here, so every animated island value follows the
/// same closed-form spring (Qt's own SpringAnimation uses other units).
class SpringCurves : public QObject {
    Q_OBJECT
    QML_NAMED_ELEMENT(Springs)
    QML_SINGLETON

public:
    explicit SpringCurves(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SpringCurves)

    /// Milliseconds until the spring has settled.
    Q_INVOKABLE int duration(double response, double dampingFraction) const;
    /// The spring as a list for `easing.bezierCurve` (c1x, c1y, c2x, c2y, x, y per segment).
    Q_INVOKABLE QVariantList bezierCurve(double response, double dampingFraction) const;
};
