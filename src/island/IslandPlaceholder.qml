import QtQuick

// Stands in for the island's views: a black island at the current layout's
// size, where the island lies inside the panel.
Item {
    id: root

    required property var viewModel
    required property var settings
    required property var actions

    Rectangle {
        objectName: "island"
        visible: root.viewModel.hasLayout
        color: "black"
        width: root.viewModel.isExpanded ? root.viewModel.expandedSize.width : root.viewModel.compactSize.width
        height: root.viewModel.isExpanded ? root.viewModel.expandedSize.height : root.viewModel.compactSize.height
        x: (root.width - width) / 2
        y: root.viewModel.topOffset
    }
}
