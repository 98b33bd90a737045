import QtQuick
import Brimwell.NowPlaying

// The Now Playing views as the island shows them, on black: at the top the
// closed island's media items (thumbnail and bars, as the status band
// places them), below the Now Playing tab at the open island's content size.
Rectangle {
    id: root

    required property NowPlayingService service
    property real statusBandHeight: 32
    property real waveGlow: 0

    width: 520
    height: 240
    color: "black"

    NowPlayingPresentation {
        id: presentation
        service: root.service
    }

    Item {
        anchors.horizontalCenter: parent.horizontalCenter
        width: 220
        height: root.statusBandHeight

        NowPlayingArtworkThumbnail {
            objectName: "bandThumbnail"
            anchors.left: parent.left
            anchors.leftMargin: 18
            anchors.verticalCenter: parent.verticalCenter
            image: root.service.artwork
            size: Math.min(root.statusBandHeight - 8, 20)
        }

        AudioWaveView {
            objectName: "bandBars"
            anchors.right: parent.right
            anchors.rightMargin: 18
            anchors.verticalCenter: parent.verticalCenter
            width: 14
            height: 14
            isAnimating: presentation.isPlaying
            color: presentation.waveColor
            style.barWidth: 2
            style.barSpacing: 2
            style.height: 14
            glow: root.waveGlow
        }
    }

    // Where the open notch island puts a tab: 32 in from the sides, below
    // the tab bar, 14 above the bottom.
    NowPlayingView {
        x: 32
        y: 88
        width: 456
        height: 133
        service: root.service
        waveGlow: root.waveGlow
    }
}
