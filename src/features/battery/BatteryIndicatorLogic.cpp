#include "BatteryIndicatorLogic.h"

BatteryIndicatorLogic::BatteryIndicatorLogic(QObject* parent)
    : QObject(parent)
{
}

QString BatteryIndicatorLogic::text(int level)
{
    return QString::number(level) + QLatin1Char('%');
}

QString BatteryIndicatorLogic::systemImage(int level, bool isCharging, bool isPluggedIn)
{
    if (isCharging || isPluggedIn)
        return QStringLiteral("bolt.fill");
    if (level >= 88)
        return QStringLiteral("battery.100percent");
    if (level >= 63)
        return QStringLiteral("battery.75percent");
    if (level >= 38)
        return QStringLiteral("battery.50percent");
    if (level >= 13)
        return QStringLiteral("battery.25percent");
    return QStringLiteral("battery.0percent");
}

QColor BatteryIndicatorLogic::iconColor(int level, bool isCharging, bool isPluggedIn)
{
    // The dark appearance's system green and red.
    if (isCharging)
        return QColor(48, 209, 88);
    if (level > 20 || isPluggedIn)
        return QColor(Qt::white);
    return QColor(255, 69, 58);
}

QString BatteryIndicatorLogic::accessibleName(int level, bool isCharging, bool isPluggedIn)
{
    const QString name = QStringLiteral("Battery ") + QString::number(level) + QStringLiteral(" percent");
    if (isCharging)
        return name + QStringLiteral(", charging");
    if (isPluggedIn)
        return name + QStringLiteral(", plugged in");
    return name;
}
