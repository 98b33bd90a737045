import QtQuick
import Brimwell.Controls
import Brimwell.NowPlaying

// The progress row: elapsed time, the glowing bar and the time left. It
// redraws every 0.05 s only while the track plays; dragging the bar moves
// the labels and, on release, seeks the service.
Item {
    id: row

    /// The service whose track is shown and sought.
    property NowPlayingService service: null

    readonly property alias progress: progress

    implicitHeight: 14

    NowPlayingProgress {
        id: progress
        service: row.service
        // A hidden row (the island closed) needs no timeline.
        active: row.visible
    }

    component TimeLabel: TabularText {
        width: Math.max(34, implicitWidth)
        anchors.verticalCenter: parent.verticalCenter
        color: Qt.rgba(1, 1, 1, 0.5)
        font.pixelSize: 10
        font.weight: Font.Medium
        horizontalAlignment: Text.AlignHCenter
    }

    Row {
        id: timeline
        anchors.fill: parent
        spacing: 8

        TimeLabel {
            id: elapsed
            objectName: "elapsedLabel"
            text: progress.elapsedLabel
        }

        GlowSlider {
            objectName: "progressBar"
            width: Math.max(0, row.width - elapsed.width - remaining.width - 2 * timeline.spacing)
            height: 14
            value: progress.fraction
            isEnabled: true
            trackHeight: 6
            draggingTrackHeight: 6
            knobSize: 10
            // Without a duration there is nothing to seek to, so no drags.
            draggable: progress.canSeek
            onDragged: fraction => progress.drag(fraction)
            onDragCancelled: progress.cancelDrag()
            onDragEnded: fraction => {
                progress.drag(fraction);
                progress.endDrag();
            }
            Accessible.role: Accessible.Slider
            Accessible.name: progress.accessibleName
        }

        TimeLabel {
            id: remaining
            objectName: "remainingLabel"
            text: progress.remainingLabel
        }
    }
}
