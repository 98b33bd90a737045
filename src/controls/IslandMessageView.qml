import QtQuick
import Brimwell.Controls
import QtQuick.Templates as T

// A centred message for empty and unavailable states: a symbol, a title
// and, when an action title is given, a button that reports its click.
Item {
    id: view

    /// Symbol name shown above the title.
    property string systemImage
    property string title
    /// Label of the button; no button without it.
    property string actionTitle: ""
    /// The button was clicked.
    signal actionTriggered

    readonly property bool hasAction: actionTitle !== ""

    Column {
        anchors.centerIn: parent
        spacing: 8

        SystemImage {
            anchors.horizontalCenter: parent.horizontalCenter
            systemImage: view.systemImage
            size: 20
            color: Qt.rgba(1, 1, 1, 0.5)
        }

        Text {
            anchors.horizontalCenter: parent.horizontalCenter
            text: view.title
            color: Qt.rgba(1, 1, 1, 0.8)
            font.pixelSize: 12
            font.weight: Font.Medium
            horizontalAlignment: Text.AlignHCenter
        }

        T.AbstractButton {
            id: actionButton
            objectName: "messageAction"
            anchors.horizontalCenter: parent.horizontalCenter
            visible: view.hasAction
            text: view.actionTitle
            implicitWidth: implicitContentWidth
            implicitHeight: implicitContentHeight
            Accessible.name: text
            contentItem: IslandCapsuleButtonStyle {
                text: actionButton.text
                isPressed: actionButton.pressed
            }
            onClicked: view.actionTriggered()
        }
    }
}
