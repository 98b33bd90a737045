pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Templates as T
import Brimwell.Controls
import Brimwell.NowPlaying

// The Now Playing tab: artwork, title and subtitle with the source button
// and the audio bars, the progress row and the transport buttons; or,
// with nothing playing, a dimmed placeholder.
Item {
    id: view

    /// The service shown; it is never owned here.
    property NowPlayingService service: null
    /// Glow strength of the audio bars, 0…1, handed down by the island.
    property real waveGlow: 0

    readonly property bool hasTrack: presentation.hasTrack

    // Grows whenever the source icon changes, so its address changes too.
    property int sourceIconVersion: 0

    NowPlayingPresentation {
        id: presentation
        service: view.service
    }

    Connections {
        target: view.service
        function onSourceIconChanged() { view.sourceIconVersion += 1 }
        function onArtworkIDChanged() { artwork.showService() }
        // A new track's cover is still being decoded: the placeholder, not the old cover.
        function onArtworkChanged() {
            if (!view.service.artwork && (artwork.firstIsFront ? firstArtwork : secondArtwork).hasImage)
                artwork.showService()
        }
    }

    // Title over subtitle, one line each.
    component TrackText: Column {
        property alias title: titleText.text
        property alias subtitle: subtitleText.text
        spacing: 2

        Text {
            id: titleText
            objectName: "title"
            width: parent.width
            color: "white"
            font.pixelSize: 14
            font.weight: Font.DemiBold
            elide: Text.ElideRight
            maximumLineCount: 1
        }
        Text {
            id: subtitleText
            objectName: "subtitle"
            width: parent.width
            color: Qt.rgba(1, 1, 1, 0.6)
            font.pixelSize: 12
            elide: Text.ElideRight
            maximumLineCount: 1
        }
    }

    // A 96-point rounded square: the picture, or a faint square with a note.
    component ArtworkLayer: Item {
        property alias image: picture.image
        readonly property alias hasImage: picture.hasImage
        width: 96
        height: 96
        visible: opacity > 0

        Rectangle {
            anchors.fill: parent
            visible: !picture.hasImage
            radius: 12
            color: Qt.rgba(1, 1, 1, 0.1)
            antialiasing: true

            SystemImage {
                anchors.centerIn: parent
                systemImage: "music.note"
                size: 32
                color: Qt.rgba(1, 1, 1, 0.5)
            }
        }
        ArtworkImage {
            id: picture
            anchors.fill: parent
            cornerRadius: 12
            visible: hasImage
        }
    }

    component ArtworkOutline: Rectangle {
        anchors.fill: parent
        radius: 12
        color: "transparent"
        border.width: 1
        border.color: Qt.rgba(1, 1, 1, 0.08)
        antialiasing: true
    }

    // Nothing playing.
    Row {
        id: placeholder
        objectName: "placeholder"
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width
        spacing: 16
        opacity: view.hasTrack ? 0 : 0.45
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 350; easing.type: Easing.InOutQuad } }

        ArtworkLayer {
            Accessible.ignored: true
            ArtworkOutline {}
        }
        TrackText {
            anchors.verticalCenter: parent.verticalCenter
            width: placeholder.width - 96 - placeholder.spacing
            title: "Not Playing"
            subtitle: LinuxWording.nowPlayingEmptySubtitle
        }
    }

    // A track.
    Row {
        id: playing
        objectName: "playingContent"
        anchors.verticalCenter: parent.verticalCenter
        width: parent.width
        height: 96
        spacing: 16
        opacity: view.hasTrack ? 1 : 0
        visible: opacity > 0
        Behavior on opacity { NumberAnimation { duration: 350; easing.type: Easing.InOutQuad } }

        // The old artwork fades out as the new one fades in.
        Item {
            id: artwork
            objectName: "artwork"
            width: 96
            height: 96
            Accessible.ignored: true

            property bool firstIsFront: true

            function show(image: var) {
                (firstIsFront ? secondArtwork : firstArtwork).image = image;
                firstIsFront = !firstIsFront;
            }
            function showService() {
                show(view.service ? view.service.artwork : null);
            }

            ArtworkLayer {
                id: firstArtwork
                opacity: artwork.firstIsFront ? 1 : 0
                Behavior on opacity { NumberAnimation { duration: 300; easing.type: Easing.InOutQuad } }
            }
            ArtworkLayer {
                id: secondArtwork
                opacity: artwork.firstIsFront ? 0 : 1
                Behavior on opacity { NumberAnimation { duration: 300; easing.type: Easing.InOutQuad } }
            }
            ArtworkOutline {}

            Component.onCompleted: firstArtwork.image = view.service ? view.service.artwork : null
            Connections {
                target: view
                function onServiceChanged() { artwork.showService() }
            }
        }

        Column {
            id: details
            anchors.verticalCenter: parent.verticalCenter
            width: playing.width - artwork.width - playing.spacing
            spacing: 8

            Item {
                width: parent.width
                height: Math.max(trackText.implicitHeight, 18)

                TrackText {
                    id: trackText
                    anchors.left: parent.left
                    anchors.right: accessory.left
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                }
                // While the content fades out after the track went, it keeps the last texts.
                Binding {
                    target: trackText
                    property: "title"
                    value: presentation.title
                    when: view.hasTrack
                    restoreMode: Binding.RestoreNone
                }
                Binding {
                    target: trackText
                    property: "subtitle"
                    value: presentation.subtitle
                    when: view.hasTrack
                    restoreMode: Binding.RestoreNone
                }

                Row {
                    id: accessory
                    anchors.right: parent.right
                    anchors.verticalCenter: parent.verticalCenter
                    height: 18
                    spacing: 8

                    T.AbstractButton {
                        id: sourceButton
                        objectName: "sourceButton"
                        width: 18
                        height: 18
                        visible: view.service !== null && view.service.hasSourceIcon
                        hoverEnabled: true
                        Accessible.role: Accessible.Button
                        Accessible.name: presentation.sourceButtonLabel
                        contentItem: Image {
                            source: sourceButton.visible ? "image://nowplaying/sourceIcon/" + view.sourceIconVersion : ""
                            sourceSize.width: 64
                            sourceSize.height: 64
                            fillMode: Image.PreserveAspectFit
                            smooth: true
                            mipmap: true
                            cache: false
                        }
                        onClicked: view.service.activateSource()

                        T.ToolTip {
                            id: tip
                            objectName: "sourceToolTip"
                            parent: sourceButton
                            visible: sourceButton.hovered && !sourceButton.pressed
                            delay: 700
                            text: presentation.sourceButtonLabel
                            y: sourceButton.height + 4
                            x: (sourceButton.width - implicitWidth) / 2
                            margins: 4
                            padding: 5
                            // A templates popup has no size of its own.
                            implicitWidth: contentWidth + leftPadding + rightPadding
                            implicitHeight: contentHeight + topPadding + bottomPadding
                            contentItem: Text {
                                text: tip.text
                                color: "white"
                                font.pixelSize: 11
                            }
                            background: Rectangle {
                                radius: 5
                                color: Qt.rgba(0.16, 0.16, 0.17, 0.96)
                                border.color: Qt.rgba(1, 1, 1, 0.12)
                            }
                        }
                    }

                    AudioWaveView {
                        objectName: "audioBars"
                        width: 17.5
                        height: 18
                        isAnimating: presentation.isPlaying
                        color: presentation.waveColor
                        style.barWidth: 2.5
                        style.barSpacing: 2.5
                        style.height: 18
                        glow: view.waveGlow
                    }
                }
            }

            NowPlayingProgressView {
                objectName: "progressRow"
                width: parent.width
                height: 14
                service: view.service
            }

            Row {
                objectName: "transportButtons"
                spacing: 18

                NowPlayingControlButton {
                    objectName: "previousTrackButton"
                    anchors.verticalCenter: parent.verticalCenter
                    systemImage: "backward.fill"
                    label: "Previous track"
                    bounces: true
                    onActivated: {
                        if (view.service)
                            view.service.previousTrack();
                    }
                }
                NowPlayingControlButton {
                    objectName: "playPauseButton"
                    anchors.verticalCenter: parent.verticalCenter
                    systemImage: presentation.isPlaying ? "pause.fill" : "play.fill"
                    label: presentation.isPlaying ? "Pause" : "Play"
                    size: 22
                    onActivated: {
                        if (view.service)
                            view.service.playPause();
                    }
                }
                NowPlayingControlButton {
                    objectName: "nextTrackButton"
                    anchors.verticalCenter: parent.verticalCenter
                    systemImage: "forward.fill"
                    label: "Next track"
                    bounces: true
                    onActivated: {
                        if (view.service)
                            view.service.nextTrack();
                    }
                }
            }
        }
    }
}
