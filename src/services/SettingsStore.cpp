#include "SettingsStore.h"

#include "Log.h"
#include "UserDefaults.h"

#include <QVariantMap>

#include <algorithm>

namespace {
BRIMWELL_LOGGING_CATEGORY(lcSettings, "brimwell.settings", "Island")
} // namespace

namespace {
double clampTo(double value, double low, double high)
{
    return std::clamp(value, low, high);
}
} // namespace

SettingsStore::SettingsStore(UserDefaults& defaults, QObject* parent)
    : QObject(parent)
    , m_defaults(defaults)
{
    m_defaults.registerDefaults({
        { QStringLiteral("hoverDelay"), 0.2 },
        { QStringLiteral("showClock"), true },
        { QStringLiteral("showBattery"), true },
        { QStringLiteral("showStatusInCompact"), true },
        { QStringLiteral("showCalendar"), true },
        { QStringLiteral("calendarShowsTodayOnly"), true },
        { QStringLiteral("showClipboard"), true },
        { QStringLiteral("showNowPlaying"), true },
        { QStringLiteral("showVolumeHUD"), true },
        { QStringLiteral("showBrightnessHUD"), true },
        { QStringLiteral("replaceSystemHUD"), false },
        { QStringLiteral("showMenuBarIcon"), false },
        { QStringLiteral("showShelf"), true },
        { QStringLiteral("showActivities"), true },
        { QStringLiteral("hudDuration"), 1.5 },
        { QStringLiteral("expandedBackgroundStyle"), QStringLiteral("black") },
        { QStringLiteral("glassGlow"), 0.6 },
        { QStringLiteral("islandPosition"), QStringLiteral("automatic") },
    });

    m_hoverDelay = clampTo(m_defaults.doubleValue(QStringLiteral("hoverDelay")), 0.0, 1.0);
    m_preferredDisplayID = m_defaults.stringValue(QStringLiteral("preferredDisplayID"));
    m_showClock = m_defaults.boolValue(QStringLiteral("showClock"));
    m_showBattery = m_defaults.boolValue(QStringLiteral("showBattery"));
    m_showStatusInCompact = m_defaults.boolValue(QStringLiteral("showStatusInCompact"));
    m_showCalendar = m_defaults.boolValue(QStringLiteral("showCalendar"));
    m_calendarShowsTodayOnly = m_defaults.boolValue(QStringLiteral("calendarShowsTodayOnly"));
    m_showClipboard = m_defaults.boolValue(QStringLiteral("showClipboard"));
    m_showNowPlaying = m_defaults.boolValue(QStringLiteral("showNowPlaying"));
    m_preferredPlayer = m_defaults.stringValue(QStringLiteral("preferredPlayer")).value_or(QString()).trimmed();
    m_ignoredPlayers = m_defaults.stringListValue(QStringLiteral("ignoredPlayers"));
    m_showVolumeHUD = m_defaults.boolValue(QStringLiteral("showVolumeHUD"));
    m_showBrightnessHUD = m_defaults.boolValue(QStringLiteral("showBrightnessHUD"));
    m_replaceSystemHUD = m_defaults.boolValue(QStringLiteral("replaceSystemHUD"));
    m_hudDuration = clampTo(m_defaults.doubleValue(QStringLiteral("hudDuration")), 0.5, 4.0);
    m_showTrayIcon = m_defaults.boolValue(QStringLiteral("showMenuBarIcon"));
    m_showShelf = m_defaults.boolValue(QStringLiteral("showShelf"));
    m_showActivities = m_defaults.boolValue(QStringLiteral("showActivities"));
    m_expandedBackgroundStyle
        = parseIslandBackgroundStyle(m_defaults.stringValue(QStringLiteral("expandedBackgroundStyle")).value_or(QString()));
    m_glassGlow = clampTo(m_defaults.doubleValue(QStringLiteral("glassGlow")), 0.0, 1.0);
    const QString position = m_defaults.stringValue(QStringLiteral("islandPosition")).value_or(QString());
    m_islandPosition = parseIslandPosition(position).value_or(IslandPosition::automatic);
    if (!parseIslandPosition(position))
        qCWarning(lcSettings, "Unknown islandPosition \"%s\"; using automatic", qUtf8Printable(position));
}

void SettingsStore::setHoverDelay(double value)
{
    if (m_hoverDelay == value)
        return;
    m_hoverDelay = value;
    Q_EMIT hoverDelayChanged();
    m_defaults.setDouble(QStringLiteral("hoverDelay"), value);
}

void SettingsStore::setShowClock(bool value)
{
    if (m_showClock == value)
        return;
    m_showClock = value;
    Q_EMIT showClockChanged();
    m_defaults.setBool(QStringLiteral("showClock"), value);
}

void SettingsStore::setShowBattery(bool value)
{
    if (m_showBattery == value)
        return;
    m_showBattery = value;
    Q_EMIT showBatteryChanged();
    m_defaults.setBool(QStringLiteral("showBattery"), value);
}

void SettingsStore::setShowStatusInCompact(bool value)
{
    if (m_showStatusInCompact == value)
        return;
    m_showStatusInCompact = value;
    Q_EMIT showStatusInCompactChanged();
    m_defaults.setBool(QStringLiteral("showStatusInCompact"), value);
}

void SettingsStore::setShowCalendar(bool value)
{
    if (m_showCalendar == value)
        return;
    m_showCalendar = value;
    Q_EMIT showCalendarChanged();
    m_defaults.setBool(QStringLiteral("showCalendar"), value);
}

void SettingsStore::setCalendarShowsTodayOnly(bool value)
{
    if (m_calendarShowsTodayOnly == value)
        return;
    m_calendarShowsTodayOnly = value;
    Q_EMIT calendarShowsTodayOnlyChanged();
    m_defaults.setBool(QStringLiteral("calendarShowsTodayOnly"), value);
}

void SettingsStore::setShowClipboard(bool value)
{
    if (m_showClipboard == value)
        return;
    m_showClipboard = value;
    Q_EMIT showClipboardChanged();
    m_defaults.setBool(QStringLiteral("showClipboard"), value);
}

void SettingsStore::setPreferredPlayer(const QString& value)
{
    if (m_preferredPlayer == value)
        return;
    m_preferredPlayer = value;
    Q_EMIT preferredPlayerChanged();
    // Automatic is the absence of a choice, not a stored empty name.
    m_defaults.setString(QStringLiteral("preferredPlayer"), value.isEmpty() ? std::nullopt : std::optional<QString>(value));
}

void SettingsStore::setIgnoredPlayers(const QStringList& value)
{
    QStringList names;
    for (const QString& name : value) {
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    if (m_ignoredPlayers == names)
        return;
    m_ignoredPlayers = names;
    Q_EMIT ignoredPlayersChanged();
    if (names.isEmpty())
        m_defaults.remove(QStringLiteral("ignoredPlayers"));
    else
        m_defaults.setStringList(QStringLiteral("ignoredPlayers"), names);
}

void SettingsStore::setShowNowPlaying(bool value)
{
    if (m_showNowPlaying == value)
        return;
    m_showNowPlaying = value;
    Q_EMIT showNowPlayingChanged();
    m_defaults.setBool(QStringLiteral("showNowPlaying"), value);
}

void SettingsStore::setShowVolumeHUD(bool value)
{
    if (m_showVolumeHUD == value)
        return;
    m_showVolumeHUD = value;
    Q_EMIT showVolumeHUDChanged();
    m_defaults.setBool(QStringLiteral("showVolumeHUD"), value);
}

void SettingsStore::setShowBrightnessHUD(bool value)
{
    if (m_showBrightnessHUD == value)
        return;
    m_showBrightnessHUD = value;
    Q_EMIT showBrightnessHUDChanged();
    m_defaults.setBool(QStringLiteral("showBrightnessHUD"), value);
}

void SettingsStore::setReplaceSystemHUD(bool value)
{
    if (m_replaceSystemHUD == value)
        return;
    m_replaceSystemHUD = value;
    Q_EMIT replaceSystemHUDChanged();
    m_defaults.setBool(QStringLiteral("replaceSystemHUD"), value);
}

void SettingsStore::setHudDuration(double value)
{
    if (m_hudDuration == value)
        return;
    m_hudDuration = value;
    Q_EMIT hudDurationChanged();
    m_defaults.setDouble(QStringLiteral("hudDuration"), value);
}

void SettingsStore::setShowTrayIcon(bool value)
{
    if (m_showTrayIcon == value)
        return;
    m_showTrayIcon = value;
    Q_EMIT showTrayIconChanged();
    m_defaults.setBool(QStringLiteral("showMenuBarIcon"), value);
}

void SettingsStore::setShowShelf(bool value)
{
    if (m_showShelf == value)
        return;
    m_showShelf = value;
    Q_EMIT showShelfChanged();
    m_defaults.setBool(QStringLiteral("showShelf"), value);
}

void SettingsStore::setShowActivities(bool value)
{
    if (m_showActivities == value)
        return;
    m_showActivities = value;
    Q_EMIT showActivitiesChanged();
    m_defaults.setBool(QStringLiteral("showActivities"), value);
}

void SettingsStore::setGlassGlow(double value)
{
    if (m_glassGlow == value)
        return;
    m_glassGlow = value;
    Q_EMIT glassGlowChanged();
    m_defaults.setDouble(QStringLiteral("glassGlow"), value);
}

void SettingsStore::setPreferredDisplayID(const std::optional<QString>& value)
{
    if (m_preferredDisplayID == value)
        return;
    m_preferredDisplayID = value;
    Q_EMIT preferredDisplayIDChanged();
    m_defaults.setString(QStringLiteral("preferredDisplayID"), value);
}

void SettingsStore::setPreferredDisplayIDText(const QString& value)
{
    setPreferredDisplayID(value.isEmpty() ? std::nullopt : std::optional<QString>(value));
}

void SettingsStore::setExpandedBackgroundStyle(IslandBackgroundStyle value)
{
    if (m_expandedBackgroundStyle == value)
        return;
    m_expandedBackgroundStyle = value;
    Q_EMIT expandedBackgroundStyleChanged();
    m_defaults.setString(QStringLiteral("expandedBackgroundStyle"), rawValue(value));
}

void SettingsStore::setIslandPosition(IslandPosition value)
{
    if (m_islandPosition == value)
        return;
    m_islandPosition = value;
    Q_EMIT islandPositionChanged();
    m_defaults.setString(QStringLiteral("islandPosition"), rawValue(value));
}
