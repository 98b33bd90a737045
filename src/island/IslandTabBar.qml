pragma ComponentBehavior: Bound
import QtQuick
import Brimwell.Controls
import Brimwell.Island
import QtQuick.Templates as T

// One button per available tab, centred, with a capsule highlight that
// slides to the active tab on the tab spring.
Item {
    id: bar

    required property IslandViewModel viewModel
    /// IslandTab values, in order.
    readonly property var tabs: viewModel.availableTabs
    /// The IslandTab shown, or -1.
    readonly property int activeTab: viewModel.hasActiveTab ? viewModel.activeTab : -1
    // Recomputed when the buttons are rebuilt or move.
    readonly property Item activeButton: {
        void tabRepeater.count;
        void tabRow.width;
        return tabRepeater.itemAt(bar.tabs.indexOf(bar.activeTab));
    }

    implicitHeight: tabRow.implicitHeight

    Rectangle {
        id: highlight
        objectName: "selectionHighlight"
        visible: bar.activeButton !== null
        x: bar.activeButton ? tabRow.x + bar.activeButton.x : 0
        y: tabRow.y
        width: bar.activeButton ? bar.activeButton.width : 0
        height: tabRow.height
        radius: height / 2
        color: Qt.rgba(1, 1, 1, 0.16)

        Behavior on x {
            SpringNumberAnimation { response: 0.25; dampingFraction: 0.85 }
        }
        Behavior on width {
            SpringNumberAnimation { response: 0.25; dampingFraction: 0.85 }
        }
    }

    Row {
        id: tabRow
        anchors.centerIn: parent
        spacing: 4

        Repeater {
            id: tabRepeater
            model: bar.tabs

            T.AbstractButton {
                id: tabButton
                required property int modelData
                readonly property bool isActive: modelData === bar.activeTab

                objectName: "tab_" + IslandTabTitles.rawValue(modelData)
                text: IslandTabTitles.title(modelData)
                leftPadding: 10
                rightPadding: 10
                topPadding: 5
                bottomPadding: 5
                implicitWidth: implicitContentWidth + leftPadding + rightPadding
                implicitHeight: implicitContentHeight + topPadding + bottomPadding
                Accessible.role: Accessible.PageTab
                Accessible.name: text
                Accessible.checkable: true
                Accessible.checked: isActive

                contentItem: Text {
                    text: tabButton.text
                    color: Qt.rgba(1, 1, 1, tabButton.isActive ? 1.0 : 0.6)
                    font.pixelSize: 12
                    font.weight: Font.Medium
                    maximumLineCount: 1
                    wrapMode: Text.NoWrap
                }

                onClicked: bar.viewModel.selectedTab = tabButton.modelData
            }
        }
    }
}
