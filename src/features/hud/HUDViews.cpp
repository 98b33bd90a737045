#include "HUDViews.h"

#include <cmath>

HUDIconLogic::HUDIconLogic(QObject* parent)
    : QObject(parent)
{
}

QString HUDIconLogic::systemImage(const HUDState& state)
{
    if (state.kind == HUDKind::brightness)
        return state.level < 0.5 ? QStringLiteral("sun.min.fill") : QStringLiteral("sun.max.fill");
    if (state.isMuted || state.level <= 0)
        return QStringLiteral("speaker.slash.fill");
    return QStringLiteral("speaker.wave.3.fill");
}

double HUDIconLogic::variableValue(const HUDState& state)
{
    if (state.kind == HUDKind::brightness || state.isMuted)
        return -1;
    return state.level;
}

QString HUDIconLogic::drawnImage(const HUDState& state)
{
    const QString image = systemImage(state);
    // The icon font has a speaker with one wave and one with two: the
    // lower half of the range fills one.
    if (image == QLatin1String("speaker.wave.3.fill") && variableValue(state) < 0.5)
        return QStringLiteral("speaker.wave.1.fill");
    return image;
}

QString HUDIconLogic::accessibleName(const HUDState& state)
{
    if (state.kind == HUDKind::volume && state.isMuted)
        return QStringLiteral("Volume muted");
    const auto percent = std::lround(state.level * 100); // halves away from zero
    return QStringLiteral("%1 %2 percent")
        .arg(state.kind == HUDKind::volume ? QStringLiteral("Volume") : QStringLiteral("Brightness"))
        .arg(percent);
}
