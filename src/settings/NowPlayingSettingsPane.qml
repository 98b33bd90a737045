import QtQuick
import Brimwell.Controls
import Brimwell.Services
import Brimwell.Settings

// The Now Playing switch and where the track is read from.
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
    }
}
