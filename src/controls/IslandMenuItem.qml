import QtQuick
import Brimwell.Controls
import QtQuick.Templates as T

// A row of the island's dark context menus.
T.MenuItem {
    id: item

    implicitWidth: Math.max(160, implicitContentWidth + leftPadding + rightPadding)
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    leftPadding: 10
    rightPadding: 10
    topPadding: 4
    bottomPadding: 4
    hoverEnabled: true
    Accessible.name: text

    contentItem: Text {
        text: item.text
        color: "white"
        font.pixelSize: 13
        verticalAlignment: Text.AlignVCenter
    }

    background: Rectangle {
        radius: 4
        color: item.highlighted || item.down ? Qt.rgba(1, 1, 1, 0.16) : "transparent"
    }
}
