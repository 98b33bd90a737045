#pragma once

#include <QString>

/// The open island's background.
enum class IslandBackgroundStyle { black, glass };

/// "glass" gives glass; any other text, or none, gives black.
inline IslandBackgroundStyle parseIslandBackgroundStyle(const QString& raw)
{
    return raw == QLatin1String("glass") ? IslandBackgroundStyle::glass : IslandBackgroundStyle::black;
}

inline QString rawValue(IslandBackgroundStyle style)
{
    return style == IslandBackgroundStyle::glass ? QStringLiteral("glass") : QStringLiteral("black");
}
