#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <optional>

// QML writes `IslandPositions.IslandPosition.belowTopPanel`.
namespace IslandPositions {
Q_NAMESPACE
QML_ELEMENT
/// Where the island sits on a screen without a notch: at the top edge, below
/// the panels that reserve the top of the screen, or (automatic) below them
/// where there are any. A notch always keeps the island at the top edge.
enum class IslandPosition { automatic, topEdge, belowTopPanel };
Q_ENUM_NS(IslandPosition)
} // namespace IslandPositions
using IslandPositions::IslandPosition;

/// "automatic", "topEdge" or "belowTopPanel"; absent for any other text.
inline std::optional<IslandPosition> parseIslandPosition(const QString& raw)
{
    if (raw == QLatin1String("automatic"))
        return IslandPosition::automatic;
    if (raw == QLatin1String("topEdge"))
        return IslandPosition::topEdge;
    if (raw == QLatin1String("belowTopPanel"))
        return IslandPosition::belowTopPanel;
    return std::nullopt;
}

inline QString rawValue(IslandPosition position)
{
    switch (position) {
    case IslandPosition::topEdge:
        return QStringLiteral("topEdge");
    case IslandPosition::belowTopPanel:
        return QStringLiteral("belowTopPanel");
    case IslandPosition::automatic:
        break;
    }
    return QStringLiteral("automatic");
}
