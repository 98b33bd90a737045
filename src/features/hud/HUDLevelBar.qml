import QtQuick
import Brimwell.Controls
import Brimwell.HUD

// The glowing level bar beside the notch. Dragging it sets the level on the
// service of the kind shown and keeps the HUD up until the drag ends.
Item {
    id: bar

    /// Sets the level while the user drags; null shows the level only.
    property HUDController hud: null
    property int kind: HUDKinds.HUDKind.volume
    property real level: 0
    property bool isMuted: false
    property real trackHeight: 4

    implicitWidth: 58
    implicitHeight: 12

    HUDIconLogic {
        id: logic
        kind: bar.kind
        level: bar.level
        isMuted: bar.isMuted
    }

    GlowSlider {
        id: slider
        objectName: "hudLevelBar"
        anchors.centerIn: parent
        width: bar.width
        height: 12
        value: logic.barValue
        isEnabled: true
        trackHeight: bar.trackHeight
        draggingTrackHeight: bar.trackHeight + 2
        knobSize: bar.trackHeight + 4
        draggable: bar.hud !== null
        onDragged: fraction => bar.hud.levelBarDragged(fraction)
        onDragEnded: fraction => bar.hud.levelBarDragEnded(fraction)
        onDragCancelled: bar.hud.levelBarDragCancelled()
        // Key and outside changes glide; the pointer is followed at once.
        Behavior on value {
            enabled: !slider.isDragging
            NumberAnimation { duration: 150; easing.type: Easing.OutQuad }
        }
        Accessible.role: Accessible.Slider
        Accessible.name: logic.accessibleName
    }
}
