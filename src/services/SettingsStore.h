#pragma once

#include "IslandBackgroundStyle.h"
#include "IslandPosition.h"

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

class UserDefaults;

/// Every user preference as a published property, loaded (and clamped) from
/// the user defaults at construction and written straight back on change.
/// Registered defaults are never written. Setters emit only on a real change.
class SettingsStore final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")

    Q_PROPERTY(double hoverDelay READ hoverDelay WRITE setHoverDelay NOTIFY hoverDelayChanged FINAL)
    /// Empty string in QML means automatic choice.
    Q_PROPERTY(QString preferredDisplayID READ preferredDisplayIDText WRITE setPreferredDisplayIDText NOTIFY
            preferredDisplayIDChanged FINAL)
    Q_PROPERTY(bool showClock READ showClock WRITE setShowClock NOTIFY showClockChanged FINAL)
    Q_PROPERTY(bool showBattery READ showBattery WRITE setShowBattery NOTIFY showBatteryChanged FINAL)
    Q_PROPERTY(
        bool showStatusInCompact READ showStatusInCompact WRITE setShowStatusInCompact NOTIFY showStatusInCompactChanged FINAL)
    Q_PROPERTY(bool showCalendar READ showCalendar WRITE setShowCalendar NOTIFY showCalendarChanged FINAL)
    Q_PROPERTY(bool calendarShowsTodayOnly READ calendarShowsTodayOnly WRITE setCalendarShowsTodayOnly NOTIFY
            calendarShowsTodayOnlyChanged FINAL)
    Q_PROPERTY(bool showClipboard READ showClipboard WRITE setShowClipboard NOTIFY showClipboardChanged FINAL)
    Q_PROPERTY(bool showNowPlaying READ showNowPlaying WRITE setShowNowPlaying NOTIFY showNowPlayingChanged FINAL)
    /// The player read whenever it plays; empty for automatic.
    Q_PROPERTY(QString preferredPlayer READ preferredPlayer WRITE setPreferredPlayer NOTIFY preferredPlayerChanged FINAL)
    /// Players never shown nor controlled.
    Q_PROPERTY(QStringList ignoredPlayers READ ignoredPlayers WRITE setIgnoredPlayers NOTIFY ignoredPlayersChanged FINAL)
    Q_PROPERTY(bool showVolumeHUD READ showVolumeHUD WRITE setShowVolumeHUD NOTIFY showVolumeHUDChanged FINAL)
    Q_PROPERTY(bool showBrightnessHUD READ showBrightnessHUD WRITE setShowBrightnessHUD NOTIFY showBrightnessHUDChanged FINAL)
    Q_PROPERTY(bool replaceSystemHUD READ replaceSystemHUD WRITE setReplaceSystemHUD NOTIFY replaceSystemHUDChanged FINAL)
    Q_PROPERTY(double hudDuration READ hudDuration WRITE setHudDuration NOTIFY hudDurationChanged FINAL)
    Q_PROPERTY(bool showTrayIcon READ showTrayIcon WRITE setShowTrayIcon NOTIFY showTrayIconChanged FINAL)
    Q_PROPERTY(bool showShelf READ showShelf WRITE setShowShelf NOTIFY showShelfChanged FINAL)
    /// Other programs may show live activities in the island.
    Q_PROPERTY(bool showActivities READ showActivities WRITE setShowActivities NOTIFY showActivitiesChanged FINAL)
    Q_PROPERTY(IslandBackgroundStyles::IslandBackgroundStyle expandedBackgroundStyle READ expandedBackgroundStyle WRITE
            setExpandedBackgroundStyle NOTIFY expandedBackgroundStyleChanged FINAL)
    Q_PROPERTY(double glassGlow READ glassGlow WRITE setGlassGlow NOTIFY glassGlowChanged FINAL)
    /// Where the island sits beside a top panel; kept as its raw value.
    Q_PROPERTY(IslandPositions::IslandPosition islandPosition READ islandPosition WRITE setIslandPosition NOTIFY
            islandPositionChanged FINAL)

public:
    /// Registers the defaults on `defaults` and loads every preference.
    explicit SettingsStore(UserDefaults& defaults, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SettingsStore)

    UserDefaults& defaults() const { return m_defaults; }

    double hoverDelay() const { return m_hoverDelay; }
    void setHoverDelay(double value);
    /// Absent means automatic screen choice.
    const std::optional<QString>& preferredDisplayID() const { return m_preferredDisplayID; }
    void setPreferredDisplayID(const std::optional<QString>& value);
    QString preferredDisplayIDText() const { return m_preferredDisplayID.value_or(QString()); }
    void setPreferredDisplayIDText(const QString& value);
    bool showClock() const { return m_showClock; }
    void setShowClock(bool value);
    bool showBattery() const { return m_showBattery; }
    void setShowBattery(bool value);
    bool showStatusInCompact() const { return m_showStatusInCompact; }
    void setShowStatusInCompact(bool value);
    bool showCalendar() const { return m_showCalendar; }
    void setShowCalendar(bool value);
    bool calendarShowsTodayOnly() const { return m_calendarShowsTodayOnly; }
    void setCalendarShowsTodayOnly(bool value);
    bool showClipboard() const { return m_showClipboard; }
    void setShowClipboard(bool value);
    bool showNowPlaying() const { return m_showNowPlaying; }
    void setShowNowPlaying(bool value);
    const QString& preferredPlayer() const { return m_preferredPlayer; }
    void setPreferredPlayer(const QString& value);
    const QStringList& ignoredPlayers() const { return m_ignoredPlayers; }
    void setIgnoredPlayers(const QStringList& value);
    bool showVolumeHUD() const { return m_showVolumeHUD; }
    void setShowVolumeHUD(bool value);
    bool showBrightnessHUD() const { return m_showBrightnessHUD; }
    void setShowBrightnessHUD(bool value);
    bool replaceSystemHUD() const { return m_replaceSystemHUD; }
    void setReplaceSystemHUD(bool value);
    double hudDuration() const { return m_hudDuration; }
    void setHudDuration(double value);
    bool showTrayIcon() const { return m_showTrayIcon; }
    void setShowTrayIcon(bool value);
    bool showShelf() const { return m_showShelf; }
    void setShowShelf(bool value);
    bool showActivities() const { return m_showActivities; }
    void setShowActivities(bool value);
    IslandBackgroundStyle expandedBackgroundStyle() const { return m_expandedBackgroundStyle; }
    void setExpandedBackgroundStyle(IslandBackgroundStyle value);
    double glassGlow() const { return m_glassGlow; }
    void setGlassGlow(double value);
    IslandPosition islandPosition() const { return m_islandPosition; }
    void setIslandPosition(IslandPosition value);

Q_SIGNALS:
    void hoverDelayChanged();
    void preferredDisplayIDChanged();
    void showClockChanged();
    void showBatteryChanged();
    void showStatusInCompactChanged();
    void showCalendarChanged();
    void calendarShowsTodayOnlyChanged();
    void showClipboardChanged();
    void showNowPlayingChanged();
    void preferredPlayerChanged();
    void ignoredPlayersChanged();
    void showVolumeHUDChanged();
    void showBrightnessHUDChanged();
    void replaceSystemHUDChanged();
    void hudDurationChanged();
    void showTrayIconChanged();
    void showShelfChanged();
    void showActivitiesChanged();
    void expandedBackgroundStyleChanged();
    void glassGlowChanged();
    void islandPositionChanged();

private:
    UserDefaults& m_defaults;
    double m_hoverDelay {};
    std::optional<QString> m_preferredDisplayID {};
    bool m_showClock {};
    bool m_showBattery {};
    bool m_showStatusInCompact {};
    bool m_showCalendar {};
    bool m_calendarShowsTodayOnly {};
    bool m_showClipboard {};
    bool m_showNowPlaying {};
    QString m_preferredPlayer;
    QStringList m_ignoredPlayers;
    bool m_showVolumeHUD {};
    bool m_showBrightnessHUD {};
    bool m_replaceSystemHUD {};
    double m_hudDuration {};
    bool m_showTrayIcon {};
    bool m_showShelf {};
    bool m_showActivities {};
    IslandBackgroundStyle m_expandedBackgroundStyle {};
    double m_glassGlow {};
    IslandPosition m_islandPosition {};
};
