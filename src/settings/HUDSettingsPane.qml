import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Brimwell.Controls
import Brimwell.Services
import Brimwell.Settings

// Which levels show in the notch, for how long, and taking the media keys.
SettingsForm {
    id: pane

    required property SettingsStore settings
    required property SettingsViewLogic logic

    SettingsSection {
        header: "Show in the notch"
        footer: pane.logic.hudFooter

        SettingsToggleRow {
            objectName: "showVolumeHUD"
            title: "Volume"
            checked: pane.settings.showVolumeHUD
            onToggled: on => pane.settings.showVolumeHUD = on
        }
        SettingsToggleRow {
            objectName: "showBrightnessHUD"
            title: "Brightness"
            checked: pane.settings.showBrightnessHUD
            onToggled: on => pane.settings.showBrightnessHUD = on
        }
    }

    SettingsSection {
        header: "Behavior"
        footer: pane.logic.keysHeldByDesktop ? LinuxWording.keysHeldByDesktopFooter
                : pane.settings.replaceSystemHUD ? LinuxWording.replaceOnFooter : LinuxWording.replaceOffFooter

        SettingsSliderRow {
            objectName: "hudDuration"
            title: "Show for"
            from: 0.5
            to: 4
            stepSize: 0.25
            value: pane.settings.hudDuration
            valueText: pane.logic.secondsText(pane.settings.hudDuration)
            onMoved: v => pane.settings.hudDuration = v
        }
        SettingsToggleRow {
            objectName: "replaceSystemHUD"
            title: LinuxWording.replaceSystemHUD
            enabled: !pane.logic.keysHeldByDesktop
            checked: pane.settings.replaceSystemHUD && !pane.logic.keysHeldByDesktop
            onToggled: on => pane.settings.replaceSystemHUD = on
        }
        SettingsRow {
            objectName: "keyCapture"
            visible: pane.settings.replaceSystemHUD && !pane.logic.keysHeldByDesktop
            title: LinuxWording.keyCaptureRow
            Button {
                objectName: "allowKeyCapture"
                visible: pane.logic.keyCaptureState === KeyCaptureStates.KeyCaptureState.allow
                text: "Allow…"
                onClicked: pane.logic.requestKeyCapture()
            }
            Text {
                visible: pane.logic.keyCaptureState !== KeyCaptureStates.KeyCaptureState.allow
                text: pane.logic.keyCaptureState === KeyCaptureStates.KeyCaptureState.allowed ? "Allowed" : "Allowed, starting…"
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 13
            }
        }
        Text {
            objectName: "keyCaptureHint"
            visible: pane.settings.replaceSystemHUD && !pane.logic.keysHeldByDesktop && pane.logic.keyCaptureHint !== ""
            text: pane.logic.keyCaptureHint
            color: Qt.rgba(1, 0.8, 0.4, 0.9)
            font.pixelSize: 11
            wrapMode: Text.Wrap
            Layout.fillWidth: true
            Layout.bottomMargin: 6
        }
    }
}
