#pragma once

#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

// QML writes `IslandBackgroundStyles.IslandBackgroundStyle.glass`.
namespace IslandBackgroundStyles {
Q_NAMESPACE
QML_ELEMENT
/// The open island's background.
enum class IslandBackgroundStyle { black, glass };
Q_ENUM_NS(IslandBackgroundStyle)
} // namespace IslandBackgroundStyles
using IslandBackgroundStyles::IslandBackgroundStyle;

/// "glass" gives glass; any other text, or none, gives black.
inline IslandBackgroundStyle parseIslandBackgroundStyle(const QString& raw)
{
    return raw == QLatin1String("glass") ? IslandBackgroundStyle::glass : IslandBackgroundStyle::black;
}

inline QString rawValue(IslandBackgroundStyle style)
{
    return style == IslandBackgroundStyle::glass ? QStringLiteral("glass") : QStringLiteral("black");
}
