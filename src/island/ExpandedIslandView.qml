import QtQuick
import Brimwell.Activities
import Brimwell.Calendar
import Brimwell.Controls
import Brimwell.Island
import Brimwell.Clipboard
import Brimwell.NowPlaying
import Brimwell.Shelf

// The open island's content: the tab bar with the settings button over its
// trailing end, and the active tab's feature view below; or, with no tab,
// a message that leads to the settings. Not ComponentBehavior: Bound: Qt
// 6.4's Loader refuses to instantiate bound components ("Cannot instantiate
// bound component outside its creation context"), so the tab views read
// `view` unqualified.
Item {
    id: view

    required property IslandViewModel viewModel
    /// Opening the settings and quitting.
    required property IslandActionsObject actions
    /// The feature services; null until they are wired.
    property IslandFeaturesObject features: null
    property real waveGlow: 0

    IslandMessageView {
        objectName: "noFeatureMessage"
        anchors.fill: parent
        visible: !view.viewModel.hasActiveTab
        systemImage: "switch.2"
        title: "Turn on a feature in Settings"
        actionTitle: "Open Settings"
        onActionTriggered: view.actions.openSettings()
    }

    Column {
        id: content
        anchors.fill: parent
        spacing: 12
        visible: view.viewModel.hasActiveTab

        Item {
            id: tabBarArea
            width: parent.width
            height: Math.max(tabBar.implicitHeight, settingsButton.height)

            IslandTabBar {
                id: tabBar
                objectName: "tabBar"
                anchors.fill: parent
                viewModel: view.viewModel
            }

            SettingsButton {
                id: settingsButton
                objectName: "settingsButton"
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                actions: view.actions
            }
        }

        // Each tab's feature view takes its place here as the feature is
        // built; until then its slot is empty.
        Loader {
            id: featureView
            objectName: "featureView"
            width: parent.width
            height: Math.max(0, content.height - tabBarArea.height - content.spacing)
            sourceComponent: {
                if (!view.viewModel.hasActiveTab)
                    return null;
                switch (view.viewModel.activeTab) {
                case IslandTabs.IslandTab.nowPlaying: return nowPlayingSlot;
                case IslandTabs.IslandTab.calendar: return calendarSlot;
                case IslandTabs.IslandTab.clipboard: return clipboardSlot;
                case IslandTabs.IslandTab.shelf: return shelfSlot;
                case IslandTabs.IslandTab.activities: return activitiesSlot;
                default: return null;
                }
            }
        }
    }

    // Qt 6.4 refuses to load a bound component through a Loader, so these
    // reach the root by id without the Bound pragma, which qmllint cannot
    // follow: each such line carries its disable.
    Component {
        id: nowPlayingSlot
        NowPlayingView {
            service: view.features ? view.features.nowPlaying : null // qmllint disable unqualified compiler
            waveGlow: view.waveGlow // qmllint disable unqualified compiler
        }
    }
    Component {
        id: calendarSlot
        CalendarView {
            service: view.features ? view.features.calendar : null // qmllint disable unqualified compiler
            showsMonth: view.viewModel.calendarStyle === CalendarTabStyles.CalendarTabStyle.month // qmllint disable unqualified compiler
        }
    }
    Component {
        id: clipboardSlot
        ClipboardView {
            service: view.features ? view.features.clipboard : null // qmllint disable unqualified compiler
        }
    }
    Component {
        id: activitiesSlot
        ActivitiesView {
            service: view.features ? view.features.activities : null // qmllint disable unqualified compiler
        }
    }
    Component {
        id: shelfSlot
        ShelfView {
            service: view.features ? view.features.shelf : null // qmllint disable unqualified compiler
            isDropTargeted: view.viewModel.isDropTargeted // qmllint disable unqualified compiler
            onExternalDragStarted: view.viewModel.startExternalDrag() // qmllint disable unqualified compiler
        }
    }
}
