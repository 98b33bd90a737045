import QtQuick
import Brimwell.Controls

// The look of the island's text buttons: a white (or red) capsule behind an
// 11-pt semibold label, brighter while pressed.
Rectangle {
    id: style

    /// The label.
    property string text
    /// The button is held down.
    property bool isPressed: false
    /// A red capsule for actions that remove something.
    property bool isDestructive: false

    readonly property real fillOpacity: isDestructive ? (isPressed ? 0.65 : 0.85) : (isPressed ? 0.28 : 0.18)

    implicitWidth: label.implicitWidth + 24
    implicitHeight: label.implicitHeight + 10
    radius: height / 2
    // The system red of the dark appearance.
    color: isDestructive ? Qt.rgba(1, 0.271, 0.227, fillOpacity) : Qt.rgba(1, 1, 1, fillOpacity)

    Text {
        id: label
        anchors.centerIn: parent
        text: style.text
        color: "white"
        font.pixelSize: 11
        font.weight: Font.DemiBold
        maximumLineCount: 1
    }
}
