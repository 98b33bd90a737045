pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import Brimwell.Calendar
import Brimwell.Clipboard
import Brimwell.Controls
import Brimwell.Island
import Brimwell.Services
import Brimwell.Shelf
import Brimwell.Settings

// The settings window's content: the panes in a sidebar and the chosen one
// under its title, over the open island's background.
Item {
    id: view

    required property SettingsStore settings
    required property SettingsViewLogic logic
    required property LaunchAtLoginService launchAtLogin
    required property UpdaterService updater
    property CalendarService calendar: null
    property ClipboardService clipboard: null
    property ShelfService shelf: null

    implicitWidth: 720
    implicitHeight: 520
    palette.window: "#1c1c1e"
    palette.windowText: "white"
    palette.base: "#2c2c2e"
    palette.alternateBase: "#3a3a3c"
    palette.text: "white"
    palette.button: "#3a3a3c"
    palette.buttonText: "white"
    palette.highlight: "#0a84ff"
    palette.highlightedText: "white"
    palette.mid: "#48484a"
    palette.dark: "#1c1c1e"
    palette.light: "#636366"
    palette.shadow: "black"
    palette.placeholderText: "#8e8e93"
    palette.toolTipBase: "#2c2c2e"
    palette.toolTipText: "white"
    palette.disabled.buttonText: "#6e6e73"
    palette.disabled.windowText: "#6e6e73"
    palette.disabled.text: "#6e6e73"
    palette.disabled.button: "#2c2c2e"
    palette.disabled.highlight: "#2d4a6b"

    IslandShape {
        id: windowShape
        kind: IslandShape.Kind.roundedRectangle
        cornerRadius: 0
    }
    IslandBackgroundView {
        objectName: "settingsBackground"
        anchors.fill: parent
        shape: windowShape
        style: view.settings.expandedBackgroundStyle
        glow: view.settings.glassGlow
        isExpanded: true
    }

    RowLayout {
        anchors.fill: parent
        spacing: 0

        Column {
            objectName: "sidebar"
            Layout.preferredWidth: 200
            Layout.fillHeight: true
            topPadding: 12
            leftPadding: 8
            rightPadding: 8
            spacing: 0

            Repeater {
                model: view.logic.panes
                delegate: SettingsSidebarRow {
                    id: sidebarRow
                    required property int pane
                    required property string paneTitle
                    required property string paneSymbol
                    required property color paneTileColor
                    objectName: "sidebarRow_" + sidebarRow.pane
                    width: 184
                    title: sidebarRow.paneTitle
                    symbol: sidebarRow.paneSymbol
                    tileColor: sidebarRow.paneTileColor
                    isSelected: view.logic.selectedPane === sidebarRow.pane
                    onClicked: view.logic.selectedPane = sidebarRow.pane
                }
            }
        }
        Rectangle {
            Layout.preferredWidth: 1
            Layout.fillHeight: true
            color: Qt.rgba(1, 1, 1, 0.12)
        }
        ColumnLayout {
            Layout.fillWidth: true
            Layout.fillHeight: true
            spacing: 0

            Text {
                objectName: "paneTitle"
                text: view.logic.selectedPaneTitle
                color: "white"
                font.pixelSize: 22
                font.weight: Font.DemiBold
                Layout.leftMargin: 24
                Layout.rightMargin: 24
                Layout.topMargin: 12
            }
            Item {
                Layout.fillWidth: true
                Layout.fillHeight: true

                GeneralSettingsPane {
                    objectName: "generalPane"
                    anchors.fill: parent
                    visible: view.logic.selectedPane === SettingsPanes.SettingsPane.general
                    settings: view.settings
                    logic: view.logic
                    launchAtLogin: view.launchAtLogin
                }
                HUDSettingsPane {
                    objectName: "hudPane"
                    anchors.fill: parent
                    visible: view.logic.selectedPane === SettingsPanes.SettingsPane.hud
                    settings: view.settings
                    logic: view.logic
                }
                NowPlayingSettingsPane {
                    objectName: "nowPlayingPane"
                    anchors.fill: parent
                    visible: view.logic.selectedPane === SettingsPanes.SettingsPane.nowPlaying
                    settings: view.settings
                    logic: view.logic
                }
                CalendarSettingsPane {
                    objectName: "calendarPane"
                    anchors.fill: parent
                    visible: view.logic.selectedPane === SettingsPanes.SettingsPane.calendar
                    settings: view.settings
                    logic: view.logic
                    calendar: view.calendar
                }
                QuickDropSettingsPane {
                    objectName: "quickDropPane"
                    anchors.fill: parent
                    visible: view.logic.selectedPane === SettingsPanes.SettingsPane.quickDrop
                    settings: view.settings
                    logic: view.logic
                    clipboard: view.clipboard
                    shelf: view.shelf
                }
                AboutSettingsPane {
                    objectName: "aboutPane"
                    anchors.fill: parent
                    visible: view.logic.selectedPane === SettingsPanes.SettingsPane.about
                    logic: view.logic
                    updater: view.updater
                    onQuitRequested: view.logic.requestQuit()
                }
            }
        }
    }
}
