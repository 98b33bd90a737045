import QtQuick
import Brimwell.Controls
import Brimwell.Island
import QtQuick.Templates as T

// The gear at the trailing end of the tab bar: a click opens the settings;
// its context menu also offers to quit.
T.AbstractButton {
    id: button

    /// Opening the settings and quitting.
    required property IslandActionsObject actions

    implicitWidth: 26
    implicitHeight: 26
    hoverEnabled: true
    Accessible.role: Accessible.Button
    Accessible.name: "Settings"

    contentItem: IslandIconButtonStyle {
        isPressed: button.pressed

        SystemImage {
            width: button.width
            height: button.height
            systemImage: "gearshape.fill"
            size: 12
            font.weight: Font.Medium
            color: Qt.rgba(1, 1, 1, 0.6)
        }
    }

    onClicked: button.actions.openSettings()

    TapHandler {
        acceptedButtons: Qt.RightButton
        // Under the gear, its right edges aligned, so it stays inside the island.
        onTapped: menu.popup(button, button.width - menu.width, button.height + 2)
    }

    T.ToolTip {
        id: tip
        objectName: "settingsToolTip"
        parent: button
        visible: button.hovered && !button.pressed && !menu.visible
        delay: 700
        text: "Settings"
        y: button.height + 4
        x: (button.width - implicitWidth) / 2
        margins: 4
        padding: 5
        contentItem: Text {
            text: tip.text
            color: "white"
            font.pixelSize: 11
        }
        background: Rectangle {
            radius: 5
            color: Qt.rgba(0.16, 0.16, 0.17, 0.96)
            border.color: Qt.rgba(1, 1, 1, 0.12)
        }
    }

    IslandMenu {
        id: menu
        objectName: "settingsMenu"

        IslandMenuItem {
            text: "Settings…"
            onTriggered: button.actions.openSettings()
        }
        IslandMenuSeparator {}
        IslandMenuItem {
            text: "Quit Brimwell"
            onTriggered: button.actions.quit()
        }
    }
}
