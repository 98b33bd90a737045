#pragma once

#include <QUrl>

/// The settings window's QML view.
///
///     view->setInitialProperties({{"settings", ...}, {"logic", ...}, {"launchAtLogin", ...}, {"updater", ...},
///                                 {"calendar", ...}, {"clipboard", ...}});
///     view->setSource(SettingsViews::settingsViewUrl());
namespace SettingsViews {

/// SettingsView.qml inside the Brimwell.Settings module.
QUrl settingsViewUrl();

} // namespace SettingsViews
