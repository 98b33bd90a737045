#pragma once

#include <QUrl>

class QQuickItem;
class QRegion;

/// The island's QML views as the panel uses them.
///
///     IslandViews::initialize();                  // once, after the QGuiApplication
///     view->setInitialProperties({{"viewModel", ...}, {"settings", ...}, {"actions", ...}});
///     view->setSource(IslandViews::rootViewUrl()); // QQuickView, SizeRootObjectToView
///
/// The root's required properties are typed: an IslandViewModel, a
/// SettingsStore and an IslandActionsObject. `features` (an
/// IslandFeaturesObject) may be given too; without it the feature slots
/// stay empty.
namespace IslandViews {

/// Loads the symbol font. The Brimwell.Island module is linked in statically
/// (its plugin is imported by this library) and needs no registration.
void initialize();
/// IslandRootView.qml inside the Brimwell.Island module.
QUrl rootViewUrl();
/// The island's outline as drawn now by the root view `root`, in window
/// coordinates; empty before the first placement. It follows the open and
/// close springs: its IslandOutlineReporter signals every change, so a
/// panel that shapes its window to the island can follow it frame by frame.
QRegion outline(QQuickItem* root);

} // namespace IslandViews
