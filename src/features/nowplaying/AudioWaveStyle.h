#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

/// Bar width, spacing and height of the audio bars, in points. QML sets it
/// field by field: `style.barWidth: 2.5`.
struct AudioWaveStyle {
    Q_GADGET
    QML_VALUE_TYPE(audioWaveStyle)
    /// Width of one bar.
    Q_PROPERTY(double barWidth MEMBER barWidth FINAL)
    /// Gap between two bars.
    Q_PROPERTY(double barSpacing MEMBER barSpacing FINAL)
    /// Height of the view and of a bar at full scale.
    Q_PROPERTY(double height MEMBER height FINAL)
public:
    double barWidth = 0;
    double barSpacing = 0;
    double height = 0;

    bool operator==(const AudioWaveStyle& other) const = default;
};
