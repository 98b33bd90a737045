pragma ComponentBehavior: Bound
import QtQuick
import Brimwell.Controls
import Brimwell.NowPlaying

// Four bars that rise and fall out of step while the track plays, with a
// soft glow of their colour. At rest (and while hidden) nothing moves.
Item {
    id: wave

    /// The bars move; turning it on again while on keeps their phase.
    property bool isAnimating: false
    property color color: "white"
    /// Bar width, spacing and height, e.g. style.barWidth: 2.5.
    property audioWaveStyle style
    /// Glow strength, 0…1: a shadow of the colour at 0.9 × glow, radius 4 × glow.
    property real glow: 0

    /// Seconds since the bars started moving.
    property real time: 0
    /// Frames are being drawn for the bars.
    readonly property bool isMoving: frames.running

    implicitWidth: AudioWave.width(style.barWidth, style.barSpacing)
    implicitHeight: style.height

    onIsAnimatingChanged: time = 0

    // The bars move about 30 times a second rather than on every display
    // frame: as smooth to the eye at this size, for half the repaints.
    Timer {
        id: frames
        property double last: 0
        interval: 32
        repeat: true
        // Hidden bars need no frames; they go on from where they were.
        running: wave.isAnimating && wave.visible
        onRunningChanged: frames.last = 0
        onTriggered: frames.advance(Date.now())

        function advance(now: double) {
            // A late tick or a clock change never makes the bars leap.
            if (frames.last > 0)
                wave.time += Math.min(Math.max(now - frames.last, 0), 100) / 1000;
            frames.last = now;
        }
    }

    IslandShape {
        id: barShape
        kind: IslandShape.Kind.roundedRectangle
        cornerRadius: wave.style.barWidth / 2
    }

    Repeater {
        model: AudioWave.barCount

        Item {
            id: bar
            required property int index
            readonly property real spread: 3 * AudioWave.shadowRadius(wave.glow)

            objectName: "bar" + index
            x: AudioWave.barCenterX(index, wave.style.barWidth, wave.style.barSpacing) - width / 2
            width: wave.style.barWidth
            height: wave.height
            transform: Scale {
                origin.y: bar.height / 2
                yScale: wave.isAnimating ? AudioWave.barScale(bar.index, wave.time) : AudioWave.restingScale
            }

            ShapeShadow {
                x: -bar.spread
                y: -bar.spread
                width: bar.width + 2 * bar.spread
                height: bar.height + 2 * bar.spread
                shape: barShape
                shapeRect: Qt.rect(bar.spread, bar.spread, bar.width, bar.height)
                color: wave.color
                radius: AudioWave.shadowRadius(wave.glow)
                strength: AudioWave.shadowOpacity(wave.glow)
                visible: strength > 0
            }
            Rectangle {
                anchors.fill: parent
                radius: width / 2
                color: wave.color
                antialiasing: true
            }
        }
    }
}
