import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Brimwell.Controls
import Brimwell.Services
import Brimwell.Settings

// The program's name and version, update checks, and quitting.
SettingsForm {
    id: pane

    required property SettingsViewLogic logic
    required property UpdaterService updater
    signal quitRequested

    SettingsSection {
        RowLayout {
            spacing: 14
            Layout.topMargin: 4
            Layout.bottomMargin: 4
            // The program's icon: its symbol on the island's black.
            Rectangle {
                Layout.preferredWidth: 64
                Layout.preferredHeight: 64
                radius: 14
                color: "black"
                border.color: Qt.rgba(1, 1, 1, 0.15)
                SystemImage {
                    anchors.fill: parent
                    systemImage: "rectangle.topthird.inset.filled"
                    size: 30
                }
            }
            ColumnLayout {
                spacing: 4
                Text {
                    text: "Brimwell"
                    color: "white"
                    font.pixelSize: 20
                    font.weight: Font.DemiBold
                }
                TextEdit {
                    objectName: "versionText"
                    text: pane.logic.versionDescription
                    readOnly: true
                    selectByMouse: true
                    color: Qt.rgba(1, 1, 1, 0.5)
                    selectionColor: Qt.rgba(1, 1, 1, 0.3)
                    font.pixelSize: 13
                }
            }
        }
    }

    SettingsSection {
        header: "Updates"

        // A package manager updates the program: nothing here to control.
        Text {
            objectName: "updatesFromPackageManager"
            visible: pane.updater.isPackaged
            text: "Updates come from your package manager."
            color: Qt.rgba(1, 1, 1, 0.5)
            font.pixelSize: 13
            Layout.fillWidth: true
            Layout.minimumHeight: 32
            verticalAlignment: Text.AlignVCenter
        }
        SettingsToggleRow {
            objectName: "automaticallyChecksForUpdates"
            visible: !pane.updater.isPackaged
            title: "Automatically check for updates"
            isEnabled: pane.updater.isAvailable
            checked: pane.updater.automaticallyChecksForUpdates
            onToggled: on => pane.updater.automaticallyChecksForUpdates = on
        }
        SettingsRow {
            visible: !pane.updater.isPackaged
            Text {
                objectName: "updatesUnavailable"
                visible: !pane.updater.isAvailable
                text: "Updates aren’t available in this build."
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 13
            }
            Item {
                Layout.fillWidth: true
            }
            Button {
                objectName: "checkForUpdates"
                text: "Check for Updates…"
                enabled: pane.updater.canCheckForUpdates
                onClicked: pane.updater.checkForUpdates()
            }
        }
    }

    SettingsSection {
        SettingsRow {
            Item {
                Layout.fillWidth: true
            }
            Button {
                objectName: "quit"
                text: "Quit Brimwell"
                onClicked: pane.quitRequested()
            }
        }
    }
}
