import QtQuick
import Brimwell.Controls
import Brimwell.NowPlaying

// The artwork as a small rounded square, or a note on a faint square when
// there is none.
Item {
    id: thumbnail

    /// The artwork (the service's `artwork`); none draws the placeholder.
    property var image: null
    property real size: 20

    implicitWidth: size
    implicitHeight: size
    Accessible.ignored: true

    Rectangle {
        objectName: "thumbnailPlaceholder"
        anchors.fill: parent
        visible: !picture.hasImage
        radius: thumbnail.size * 0.25
        color: Qt.rgba(1, 1, 1, 0.15)
        antialiasing: true

        SystemImage {
            anchors.centerIn: parent
            systemImage: "music.note"
            size: thumbnail.size * 0.5
            font.weight: Font.DemiBold
            color: Qt.rgba(1, 1, 1, 0.7)
        }
    }

    ArtworkImage {
        id: picture
        anchors.fill: parent
        image: thumbnail.image
        cornerRadius: thumbnail.size * 0.25
        visible: hasImage
    }
}
