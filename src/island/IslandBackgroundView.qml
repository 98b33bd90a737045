import QtQuick
import Brimwell.Controls
import Brimwell.Island
import Brimwell.Services

// The island's background in its shape: black, or for the open island in
// the glass style a dark glass lit from below by the glow.
Item {
    id: view

    /// The outline to fill.
    property IslandShape shape
    /// An IslandBackgroundStyle.
    property int style: IslandBackgroundStyles.IslandBackgroundStyle.black
    /// Glow strength, 0…1.
    property real glow: 0
    property bool isExpanded: false
    /// How far the open look has replaced the closed one; follows
    /// isExpanded unless the caller animates it.
    property real expansion: isExpanded ? 1 : 0

    IslandBackgroundPainter {
        anchors.fill: parent
        shape: view.shape
        style: view.style
        glow: view.glow
        expansion: view.expansion
    }
}
