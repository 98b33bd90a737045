import QtQuick
import Brimwell.Controls
import Brimwell.HUD

// The symbol of the level shown, a speaker or a sun, in a frame 1.6 times
// its size, aligned leading. A new symbol replaces the old with a short
// cross-fade.
Item {
    id: icon

    property int kind: HUDKinds.HUDKind.volume
    property real level: 0
    property bool isMuted: false
    /// Text size the symbol matches.
    property real size: 13

    readonly property alias logic: logic

    implicitWidth: size * 1.6
    implicitHeight: current.implicitHeight

    HUDIconLogic {
        id: logic
        kind: icon.kind
        level: icon.level
        isMuted: icon.isMuted
    }

    Accessible.role: Accessible.StaticText
    Accessible.name: logic.accessibleName

    // The outgoing symbol, fading while the new one comes in.
    SystemImage {
        id: previous
        anchors.verticalCenter: parent.verticalCenter
        size: icon.size
        font.weight: Font.DemiBold
        opacity: 0
    }
    SystemImage {
        id: current
        objectName: "hudIcon"
        anchors.verticalCenter: parent.verticalCenter
        size: icon.size
        font.weight: Font.DemiBold
        systemImage: logic.drawnImage
        property string shownImage: logic.drawnImage
        onSystemImageChanged: {
            if (shownImage !== systemImage) {
                previous.systemImage = shownImage;
                replace.restart();
            }
            shownImage = systemImage;
        }
    }

    ParallelAnimation {
        id: replace
        NumberAnimation { target: previous; property: "opacity"; from: 1; to: 0; duration: 200; easing.type: Easing.InOutQuad }
        NumberAnimation { target: previous; property: "scale"; from: 1; to: 0.8; duration: 200; easing.type: Easing.InOutQuad }
        NumberAnimation { target: current; property: "opacity"; from: 0; to: 1; duration: 200; easing.type: Easing.InOutQuad }
        NumberAnimation { target: current; property: "scale"; from: 0.8; to: 1; duration: 200; easing.type: Easing.InOutQuad }
    }
}
