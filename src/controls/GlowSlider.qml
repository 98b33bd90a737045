pragma ComponentBehavior: Bound
import QtQuick
import Brimwell.Controls

// A thin glowing capsule that shows a 0…1 value and can be dragged. The
// whole rectangle takes the drag when the slider is enabled and draggable;
// a click is a drag of length zero.
Item {
    id: slider

    /// Shown fraction; drawn limited to 0…1.
    property real value: 0
    /// Brighter, and accepts drags.
    property bool isEnabled: true
    property real trackHeight: 4
    property real draggingTrackHeight: 8
    /// Diameter of the knob shown while dragging.
    property real knobSize: 12
    /// Takes drags (with isEnabled).
    property bool draggable: false
    /// The fraction under the pointer while dragging.
    signal dragged(real fraction)
    /// The final fraction when the drag ends.
    signal dragEnded(real fraction)
    /// The drag was taken away (the island hides mid-drag): it ends without a result.
    signal dragCancelled
    /// A drag is under way.
    readonly property bool isDragging: mouse.pressed

    GlowSliderLogic {
        id: logic
        value: slider.value
        isEnabled: slider.isEnabled
        hasDragAction: slider.draggable
        isDragging: slider.isDragging
        width: slider.width
        trackHeight: slider.trackHeight
        draggingTrackHeight: slider.draggingTrackHeight
        knobSize: slider.knobSize
    }

    property real barHeight: logic.barHeight
    Behavior on barHeight {
        NumberAnimation { duration: 150; easing.type: Easing.OutQuad }
    }

    IslandShape {
        id: capsule
        kind: IslandShape.Kind.roundedRectangle
        cornerRadius: slider.barHeight / 2
    }

    Item {
        id: bar
        width: slider.width
        height: slider.barHeight
        anchors.verticalCenter: parent.verticalCenter

        Rectangle {
            objectName: "track"
            width: parent.width
            height: parent.height
            radius: height / 2
            color: Qt.rgba(1, 1, 1, 0.2)
        }

        // The two glows of the fill, the outer one first, drawn with room to spread.
        Repeater {
            model: 2
            ShapeShadow {
                required property int index
                readonly property bool isOuter: index === 0
                readonly property real spread: 3 * radius
                // On whole pixels: a glow this soft looks the same a fraction
                // of a pixel shorter, and a fill that grows slowly (a playing
                // track's progress) then redraws it about once a second
                // rather than on every step.
                readonly property real glowWidth: Math.round(logic.fillWidth * Screen.devicePixelRatio) / Screen.devicePixelRatio
                x: -spread
                y: -spread
                width: glowWidth + 2 * spread
                height: bar.height + 2 * spread
                shape: capsule
                shapeRect: Qt.rect(spread, spread, glowWidth, bar.height)
                color: "white"
                radius: isOuter ? logic.outerGlowRadius : logic.innerGlowRadius
                strength: isOuter ? logic.outerGlowOpacity : logic.innerGlowOpacity
                visible: strength > 0 && logic.fillWidth > 0
            }
        }

        Rectangle {
            objectName: "fill"
            width: logic.fillWidth
            height: parent.height
            radius: height / 2
            color: Qt.rgba(1, 1, 1, logic.fillOpacity)
        }

        Item {
            id: knob
            x: logic.knobX
            y: (bar.height - slider.knobSize) / 2
            width: slider.knobSize
            height: slider.knobSize
            opacity: slider.isDragging ? 1 : 0
            visible: opacity > 0
            Behavior on opacity {
                NumberAnimation { duration: 150; easing.type: Easing.OutQuad }
            }

            IslandShape {
                id: circle
                kind: IslandShape.Kind.roundedRectangle
                cornerRadius: slider.knobSize / 2
            }
            ShapeShadow {
                x: -8
                y: -8
                width: knob.width + 16
                height: knob.height + 16
                shape: circle
                shapeRect: Qt.rect(8, 8, knob.width, knob.height)
                color: "white"
                radius: 3
                strength: 0.7
            }
            Rectangle {
                anchors.fill: parent
                radius: width / 2
                color: "white"
            }
        }
    }

    MouseArea {
        id: mouse
        anchors.fill: parent
        enabled: logic.acceptsDrag
        preventStealing: true
        onPressed: (event) => slider.dragged(logic.fractionAt(event.x))
        onPositionChanged: (event) => {
            if (pressed)
                slider.dragged(logic.fractionAt(event.x));
        }
        onReleased: (event) => slider.dragEnded(logic.fractionAt(event.x))
        onCanceled: slider.dragCancelled()
    }
}
