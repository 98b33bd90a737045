import QtQuick
import QtQuick.Layouts

// One labelled row of a section; the control goes after the label.
RowLayout {
    id: row

    property string title
    property bool isEnabled: true

    Layout.fillWidth: true
    Layout.minimumHeight: 32
    spacing: 8

    Text {
        visible: row.title !== ""
        text: row.title
        color: Qt.rgba(1, 1, 1, row.isEnabled ? 0.92 : 0.35)
        font.pixelSize: 13
        elide: Text.ElideRight
        Layout.fillWidth: true
    }
}
