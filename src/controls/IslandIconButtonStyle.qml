import QtQuick
import Brimwell.Controls

// The look of the island's icon buttons: while pressed the label shrinks to
// 0.92 and dims to 0.7, easing out over 0.15 s each way.
Item {
    id: style

    /// The button is held down.
    property bool isPressed: false

    implicitWidth: childrenRect.width
    implicitHeight: childrenRect.height
    scale: isPressed ? 0.92 : 1
    opacity: isPressed ? 0.7 : 1

    Behavior on scale {
        NumberAnimation { duration: 150; easing.type: Easing.OutQuad }
    }
    Behavior on opacity {
        NumberAnimation { duration: 150; easing.type: Easing.OutQuad }
    }
}
