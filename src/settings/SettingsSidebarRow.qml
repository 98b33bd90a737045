import QtQuick
import Brimwell.Controls

// One pane in the sidebar: its symbol on a coloured tile, then its title.
Item {
    id: row

    required property string title
    required property string symbol
    required property color tileColor
    property bool isSelected: false
    signal clicked

    implicitHeight: 26 + 4

    Rectangle {
        anchors.fill: parent
        anchors.topMargin: 2
        anchors.bottomMargin: 2
        radius: 6
        color: row.isSelected ? Qt.rgba(1, 1, 1, 0.14) : "transparent"
    }
    Rectangle {
        id: tile
        x: 8
        anchors.verticalCenter: parent.verticalCenter
        width: 22
        height: 22
        radius: 6
        gradient: Gradient {
            GradientStop { position: 0; color: Qt.lighter(row.tileColor, 1.15) }
            GradientStop { position: 1; color: Qt.darker(row.tileColor, 1.1) }
        }
        SystemImage {
            anchors.fill: parent
            systemImage: row.symbol
            size: 11
            font.weight: Font.DemiBold
            color: "white"
        }
    }
    Text {
        anchors.left: tile.right
        anchors.leftMargin: 8
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        text: row.title
        color: "white"
        font.pixelSize: 13
        elide: Text.ElideRight
    }
    MouseArea {
        anchors.fill: parent
        onClicked: row.clicked()
    }
}
