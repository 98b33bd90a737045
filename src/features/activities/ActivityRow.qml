pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Templates as T
import Brimwell.Controls
import Brimwell.Activities

// One running activity: its symbol, title and subtitle, its countdown,
// counter or progress, its buttons, and a close button that ends it.
Item {
    id: row

    required property int activityId
    required property string title
    required property string subtitle
    required property string symbol
    required property string iconSource
    required property color accent
    required property string valueText
    required property bool hasProgress
    required property real progress
    required property bool isDone
    required property list<string> actions

    /// Emitted for the close button.
    signal dismissed()
    /// Emitted for an action button, by its place.
    signal actionInvoked(int index)

    implicitHeight: Math.max(40, texts.implicitHeight + 12)

    component CapsuleButton: T.AbstractButton {
        id: button
        implicitWidth: implicitContentWidth
        implicitHeight: implicitContentHeight
        Accessible.name: text
        contentItem: IslandCapsuleButtonStyle {
            text: button.text
            isPressed: button.pressed
        }
    }

    Rectangle {
        anchors.fill: parent
        radius: 10
        color: Qt.rgba(1, 1, 1, 0.08)
    }

    ActivitySymbol {
        id: icon
        anchors.left: parent.left
        anchors.leftMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        systemImage: row.symbol
        iconSource: row.iconSource
        color: row.accent
        size: 16
    }

    Column {
        id: texts
        anchors.left: icon.right
        anchors.leftMargin: 10
        anchors.right: trailing.left
        anchors.rightMargin: 10
        anchors.verticalCenter: parent.verticalCenter
        spacing: 3

        Text {
            objectName: "activityTitle"
            width: parent.width
            text: row.title
            textFormat: Text.PlainText
            color: "white"
            font.pixelSize: 13
            font.weight: Font.DemiBold
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        Text {
            objectName: "activitySubtitle"
            width: parent.width
            visible: row.subtitle !== ""
            text: row.subtitle
            textFormat: Text.PlainText
            color: Qt.rgba(1, 1, 1, 0.6)
            font.pixelSize: 11
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        Rectangle {
            id: track
            objectName: "activityProgress"
            visible: row.hasProgress
            width: parent.width
            height: 4
            radius: 2
            color: Qt.rgba(1, 1, 1, 0.2)
            Rectangle {
                width: track.width * row.progress
                height: track.height
                radius: track.radius
                color: row.accent
            }
        }
    }

    Row {
        id: trailing
        anchors.right: parent.right
        anchors.rightMargin: 8
        anchors.verticalCenter: parent.verticalCenter
        spacing: 6

        TabularText {
            objectName: "activityValue"
            anchors.verticalCenter: parent.verticalCenter
            visible: row.valueText !== ""
            text: row.valueText
            color: row.isDone ? row.accent : "white"
            font.pixelSize: 13
            font.weight: Font.DemiBold
        }
        Repeater {
            model: row.actions
            CapsuleButton {
                required property int index
                required property string modelData
                objectName: "activityAction"
                anchors.verticalCenter: parent.verticalCenter
                text: modelData
                onClicked: row.actionInvoked(index)
            }
        }
        T.AbstractButton {
            id: close
            objectName: "activityClose"
            anchors.verticalCenter: parent.verticalCenter
            implicitWidth: 20
            implicitHeight: 20
            Accessible.name: "Close"
            contentItem: IslandIconButtonStyle {
                isPressed: close.pressed
                SystemImage {
                    width: 20
                    height: 20
                    systemImage: "xmark"
                    size: 11
                    color: Qt.rgba(1, 1, 1, 0.6)
                }
            }
            onClicked: row.dismissed()
        }
    }
}
