import QtQuick
import QtQuick.Templates as T

// A divider between groups of an IslandMenu.
T.MenuSeparator {
    topPadding: 4
    bottomPadding: 4
    implicitWidth: implicitContentWidth
    implicitHeight: implicitContentHeight + topPadding + bottomPadding
    contentItem: Rectangle {
        implicitWidth: 150
        implicitHeight: 1
        color: Qt.rgba(1, 1, 1, 0.15)
    }
}
