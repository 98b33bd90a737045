import QtQuick
import QtQuick.Templates as T

// The island's dark context menu; its rows are IslandMenuItem and
// IslandMenuSeparator.
T.Menu {
    id: menu
    padding: 4
    margins: 4
    implicitWidth: Math.max(implicitBackgroundWidth, contentWidth + leftPadding + rightPadding)
    implicitHeight: contentHeight + topPadding + bottomPadding

    contentItem: ListView {
        implicitHeight: contentHeight
        implicitWidth: 160
        model: menu.contentModel
        interactive: false
        currentIndex: menu.currentIndex
    }
    background: Rectangle {
        radius: 7
        color: Qt.rgba(0.13, 0.13, 0.14, 0.98)
        border.color: Qt.rgba(1, 1, 1, 0.12)
    }
}
