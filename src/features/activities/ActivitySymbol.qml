import QtQuick
import Brimwell.Controls
import Brimwell.Activities

// An activity's symbol: a glyph of the island's catalog in its accent, or an
// icon of the desktop's theme, loaded off the GUI thread.
Item {
    id: symbol

    /// A catalog symbol's name, or empty.
    property string systemImage
    /// A theme icon's address, or empty.
    property string iconSource
    property color color: "white"
    /// The text size the symbol is drawn to match.
    property real size: 12

    implicitWidth: Math.ceil(size * 1.25)
    implicitHeight: implicitWidth

    SystemImage {
        anchors.centerIn: parent
        visible: symbol.systemImage !== ""
        systemImage: symbol.systemImage
        size: symbol.size
        color: symbol.color
    }
    Image {
        anchors.fill: parent
        visible: symbol.iconSource !== ""
        source: symbol.iconSource
        sourceSize.width: Math.ceil(width * Screen.devicePixelRatio)
        sourceSize.height: Math.ceil(height * Screen.devicePixelRatio)
        asynchronous: true
        smooth: true
    }
}
