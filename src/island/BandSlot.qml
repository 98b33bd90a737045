import QtQuick
import Brimwell.Controls
import Brimwell.Island

// A place in the status band for one kind of item. It fades in and out over
// 0.25 s (ease in and out) and, for the HUD and Now Playing items, also
// scales from 0.6 around its centre.
Item {
    id: slot

    /// This slot's item is the one the band shows.
    property bool shown: false
    /// Scale as well as fade.
    property bool scales: false

    implicitWidth: childrenRect.width
    implicitHeight: childrenRect.height
    width: implicitWidth
    height: implicitHeight
    opacity: shown ? 1 : 0
    scale: scales ? 0.6 + 0.4 * opacity : 1
    visible: opacity > 0

    Behavior on opacity {
        NumberAnimation { duration: 250; easing.type: Easing.InOutQuad }
    }
}
