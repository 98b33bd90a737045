pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Brimwell.Controls
import Brimwell.Services
import Brimwell.Settings

// The Now Playing switch, which player is read and which never are.
SettingsForm {
    id: pane

    required property SettingsStore settings
    required property SettingsViewLogic logic

    SettingsSection {
        footer: LinuxWording.nowPlayingFooter

        SettingsToggleRow {
            objectName: "showNowPlaying"
            title: "Now Playing"
            checked: pane.settings.showNowPlaying
            onToggled: on => pane.settings.showNowPlaying = on
        }
    }

    SettingsSection {
        visible: pane.settings.showNowPlaying
        header: "Source"

        SettingsRow {
            title: "Reading from"
            Text {
                objectName: "nowPlayingSource"
                text: pane.logic.nowPlayingSource
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 13
            }
        }
        SettingsRow {
            title: "Preferred player"
            ComboBox {
                id: playerPicker
                objectName: "playerPicker"
                model: pane.logic.playerChoices
                currentIndex: pane.logic.playerChoiceIndex
                Layout.preferredWidth: 240
                onActivated: index => {
                    pane.logic.choosePlayer(index);
                    playerPicker.currentIndex = Qt.binding(() => pane.logic.playerChoiceIndex);
                }
            }
        }
    }

    SettingsSection {
        visible: pane.settings.showNowPlaying && pane.logic.ignorablePlayers.length > 0
        header: "Never show"

        Repeater {
            model: pane.logic.ignorablePlayers
            SettingsToggleRow {
                id: ignoreRow
                required property string modelData
                objectName: "ignore_" + ignoreRow.modelData
                title: ignoreRow.modelData
                // Qt 6.4's qmllint gives a QStringList none of the array methods it has at run time.
                checked: pane.settings.ignoredPlayers.indexOf(ignoreRow.modelData) >= 0 // qmllint disable type compiler
                onToggled: on => pane.logic.setPlayerIgnored(ignoreRow.modelData, on)
            }
        }
    }
}
