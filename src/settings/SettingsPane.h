#pragma once

#include <QColor>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

#include <array>

// QML writes `SettingsPanes.SettingsPane.calendar`.
namespace SettingsPanes {
Q_NAMESPACE
QML_ELEMENT
/// The settings window's panes, in sidebar order.
enum class SettingsPane { general, hud, nowPlaying, calendar, quickDrop, about };
Q_ENUM_NS(SettingsPane)
} // namespace SettingsPanes
using SettingsPanes::SettingsPane;

/// The panes in sidebar order.
inline constexpr std::array allSettingsPanes { SettingsPane::general, SettingsPane::hud, SettingsPane::nowPlaying,
    SettingsPane::calendar, SettingsPane::quickDrop, SettingsPane::about };

/// What the sidebar shows for each pane, and the raw value it is stored as.
struct SettingsPaneInfo {
    const char* rawValue;
    const char* title;
    const char* symbol;
    QColor tileColor;
};

inline SettingsPaneInfo settingsPaneInfo(SettingsPane pane)
{
    switch (pane) {
    case SettingsPane::general:
        return { "general", "General", "gearshape.fill", QColor(142, 142, 147) };
    case SettingsPane::hud:
        return { "hud", "HUD", "speaker.wave.2.fill", QColor(255, 149, 0) };
    case SettingsPane::nowPlaying:
        return { "nowPlaying", "Now Playing", "music.note", QColor(255, 45, 85) };
    case SettingsPane::calendar:
        return { "calendar", "Calendar", "calendar", QColor(255, 59, 48) };
    case SettingsPane::quickDrop:
        return { "quickDrop", "Quick Drop", "tray.and.arrow.down.fill", QColor(0, 122, 255) };
    case SettingsPane::about:
        return { "about", "About", "info", QColor(88, 86, 214) };
    }
    return { "general", "General", "gearshape.fill", QColor(142, 142, 147) };
}
