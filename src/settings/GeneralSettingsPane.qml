pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import QtQuick.Templates as T
import Brimwell.Controls
import Brimwell.Services
import Brimwell.Settings

// Startup, appearance, the island's placement, clock and battery.
SettingsForm {
    id: pane

    required property SettingsStore settings
    required property SettingsViewLogic logic
    required property LaunchAtLoginService launchAtLogin
    /// The failure of the last login-item change, shown as an alert.
    property string launchAtLoginError

    SettingsSection {
        header: "Startup"
        footer: LinuxWording.generalStartupFooter

        SettingsToggleRow {
            objectName: "launchAtLogin"
            title: "Launch at login"
            checked: pane.launchAtLogin.isEnabled
            onToggled: on => pane.launchAtLoginError = pane.launchAtLogin.changeEnabled(on)
        }
        SettingsToggleRow {
            objectName: "showTrayIcon"
            title: LinuxWording.showTrayIcon
            checked: pane.settings.showTrayIcon
            onToggled: on => pane.settings.showTrayIcon = on
        }
        // The setting keeps its value; the icon appears once a tray starts.
        Text {
            objectName: "noTrayHost"
            visible: !pane.logic.showsTrayIcons
            text: "This desktop shows no tray icons."
            color: Qt.rgba(1, 1, 1, 0.5)
            font.pixelSize: 12
            Layout.fillWidth: true
        }
        SettingsRow {
            visible: pane.launchAtLogin.requiresApproval
            Text {
                text: "Waiting for approval in System Settings."
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 13
                Layout.fillWidth: true
            }
            Button {
                text: "Open Login Items…"
                onClicked: pane.launchAtLogin.openSystemSettingsLoginItems()
            }
        }
    }

    SettingsSection {
        header: "Activities"

        SettingsToggleRow {
            objectName: "showActivities"
            title: "Live activities from other apps"
            checked: pane.settings.showActivities
            onToggled: on => pane.settings.showActivities = on
        }
    }

    SettingsSection {
        header: "Appearance"
        footer: "The closed island always stays black so it blends with the notch. When expanded, Glass stays dark at the top and turns clearer with a white glow toward the bottom edge. This window uses the same look."

        SettingsRow {
            title: "Expanded background"
            Row {
                objectName: "backgroundPicker"
                spacing: 0
                Repeater {
                    // In the order of IslandBackgroundStyles.IslandBackgroundStyle.
                    model: ["Black", "Glass"]
                    delegate: Button {
                        id: styleButton
                        required property string modelData
                        required property int index
                        objectName: "background" + styleButton.modelData
                        text: styleButton.modelData
                        checkable: true
                        checked: pane.settings.expandedBackgroundStyle === styleButton.index
                        highlighted: checked
                        width: 72
                        onClicked: pane.settings.expandedBackgroundStyle = styleButton.index
                    }
                }
            }
        }
        SettingsSliderRow {
            objectName: "glow"
            visible: pane.settings.expandedBackgroundStyle === IslandBackgroundStyles.IslandBackgroundStyle.glass
            title: "Glow"
            value: pane.settings.glassGlow
            valueText: pane.logic.percentText(pane.settings.glassGlow)
            onMoved: v => pane.settings.glassGlow = v
        }
    }

    SettingsSection {
        header: "Island"

        SettingsSliderRow {
            objectName: "hoverDelay"
            title: "Hover delay"
            value: pane.settings.hoverDelay
            valueText: pane.logic.secondsText(pane.settings.hoverDelay)
            onMoved: v => pane.settings.hoverDelay = v
        }
        SettingsRow {
            title: "Show on display"
            ComboBox {
                id: displayPicker
                objectName: "displayPicker"
                model: pane.logic.displayChoiceLabels
                currentIndex: pane.logic.displayChoiceIndex
                Layout.preferredWidth: 240
                onActivated: index => {
                    pane.logic.chooseDisplay(index);
                    displayPicker.currentIndex = Qt.binding(() => pane.logic.displayChoiceIndex);
                }
            }
        }
        SettingsRow {
            title: "Position"
            ComboBox {
                id: positionPicker
                objectName: "positionPicker"
                // In the order of IslandPositions.IslandPosition.
                model: ["Automatic", "At the top edge", "Below the top panel"]
                currentIndex: pane.settings.islandPosition
                Layout.preferredWidth: 240
                onActivated: index => {
                    pane.settings.islandPosition = index;
                    positionPicker.currentIndex = Qt.binding(() => pane.settings.islandPosition);
                }
            }
        }
        SettingsRow {
            id: notchRow
            readonly property bool hasNotch: pane.logic.notchSize.width > 0
            visible: pane.logic.notchDisplayName !== ""
            title: "Notch"
            Text {
                objectName: "notchDisplayName"
                text: pane.logic.notchDisplayName
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 13
                elide: Text.ElideRight
                Layout.maximumWidth: 140
            }
            ComboBox {
                id: notchPicker
                objectName: "notchPicker"
                model: ["None", "Custom size"]
                currentIndex: notchRow.hasNotch ? 1 : 0
                Layout.preferredWidth: 140
                onActivated: index => {
                    // 200 × 32 is only where editing starts.
                    pane.logic.setNotchSize(index === 1 ? 200 : 0, index === 1 ? 32 : 0);
                    notchPicker.currentIndex = Qt.binding(() => notchRow.hasNotch ? 1 : 0);
                }
            }
        }
        SettingsRow {
            visible: notchRow.visible && notchRow.hasNotch
            Item {
                Layout.fillWidth: true
            }
            SpinBox {
                id: notchWidth
                objectName: "notchWidth"
                from: 1
                to: 2000
                editable: true
                value: pane.logic.notchSize.width
                Layout.preferredWidth: 100
                onValueModified: pane.logic.setNotchSize(notchWidth.value, notchHeight.value)
            }
            Text {
                text: "×"
                color: Qt.rgba(1, 1, 1, 0.92)
                font.pixelSize: 13
            }
            SpinBox {
                id: notchHeight
                objectName: "notchHeight"
                from: 1
                to: 200
                editable: true
                value: pane.logic.notchSize.height
                Layout.preferredWidth: 100
                onValueModified: pane.logic.setNotchSize(notchWidth.value, notchHeight.value)
            }
            Text {
                text: "pt"
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 13
            }
        }
    }

    SettingsSection {
        header: "Clock & Battery"
        footer: "When “Always show in notch” is off, the clock and battery appear only when the island expands."

        SettingsToggleRow {
            objectName: "showClock"
            title: "Clock"
            checked: pane.settings.showClock
            onToggled: on => pane.settings.showClock = on
        }
        SettingsToggleRow {
            objectName: "showBattery"
            title: "Battery"
            checked: pane.settings.showBattery
            onToggled: on => pane.settings.showBattery = on
        }
        SettingsToggleRow {
            objectName: "showStatusInCompact"
            title: "Always show in notch"
            isEnabled: pane.settings.showClock || pane.settings.showBattery
            checked: pane.settings.showStatusInCompact
            onToggled: on => pane.settings.showStatusInCompact = on
        }
    }

    Dialog {
        objectName: "launchAtLoginAlert"
        parent: T.Overlay.overlay
        anchors.centerIn: parent
        modal: true
        title: "Couldn’t change Launch at Login"
        visible: pane.launchAtLoginError !== ""
        standardButtons: Dialog.Ok
        width: 380
        onClosed: pane.launchAtLoginError = ""

        Text {
            text: pane.launchAtLoginError
            color: Qt.rgba(1, 1, 1, 0.85)
            wrapMode: Text.Wrap
            width: 340
            font.pixelSize: 13
        }
    }
}
