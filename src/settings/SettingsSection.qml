import QtQuick
import QtQuick.Layouts

// A form section: an optional header, its rows on a grouped background, and
// an optional footer in the secondary colour.
ColumnLayout {
    id: section

    property string header
    property string footer
    default property alias rows: box.data

    spacing: 6
    Layout.fillWidth: true

    Text {
        visible: section.header !== ""
        text: section.header
        color: Qt.rgba(1, 1, 1, 0.85)
        font.pixelSize: 13
        font.weight: Font.DemiBold
        Layout.leftMargin: 4
    }
    Rectangle {
        Layout.fillWidth: true
        implicitHeight: box.implicitHeight + 8
        radius: 8
        color: Qt.rgba(1, 1, 1, 0.06)
        border.color: Qt.rgba(1, 1, 1, 0.08)

        ColumnLayout {
            id: box
            anchors.left: parent.left
            anchors.right: parent.right
            anchors.top: parent.top
            anchors.margins: 4
            anchors.leftMargin: 12
            anchors.rightMargin: 12
            spacing: 0
        }
    }
    Text {
        visible: section.footer !== ""
        text: section.footer
        color: Qt.rgba(1, 1, 1, 0.5)
        font.pixelSize: 11
        wrapMode: Text.Wrap
        Layout.fillWidth: true
        Layout.leftMargin: 4
        Layout.rightMargin: 4
    }
}
