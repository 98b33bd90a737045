import QtQuick
import Brimwell.Controls
import Brimwell.NowPlaying

// A transport button: a white symbol in a 34 × 30 clickable frame. A new
// symbol (play ↔ pause) replaces the old one with a short cross-fade and
// scale; a bouncing button's symbol bounces once per click. An Item, not a
// templates button, whose `action` would have to be an Action.
Item {
    id: button

    /// Symbol name, e.g. "play.fill".
    property string systemImage
    /// Accessibility label.
    property string label
    /// Text size the symbol is drawn at.
    property real size: 15
    /// Each click bounces the symbol.
    property bool bounces: false
    /// Clicked (or pressed through accessibility).
    signal activated
    /// Grows by one per bouncing click.
    property int bounceTrigger: 0

    /// The button is held down.
    readonly property alias pressed: mouse.pressed

    /// What a click does: bounce if the button bounces, then report it.
    function click() {
        if (bounces)
            bounceTrigger += 1;
        activated();
    }

    implicitWidth: 34
    implicitHeight: 30
    Accessible.role: Accessible.Button
    Accessible.name: label
    Accessible.focusable: true
    Accessible.onPressAction: click()

    onBounceTriggerChanged: bounce.restart()

    /// The symbol shown once the swap has begun.
    readonly property string shownSystemImage: firstIsFront ? first.systemImage : second.systemImage

    // Two layers take turns: the new symbol grows in as the old one shrinks away.
    property bool firstIsFront: true
    property bool isReady: false
    onSystemImageChanged: {
        if (!isReady)
            return;
        if ((firstIsFront ? first : second).systemImage === systemImage)
            return;
        (firstIsFront ? second : first).systemImage = systemImage;
        firstIsFront = !firstIsFront;
    }
    Component.onCompleted: {
        first.systemImage = systemImage;
        isReady = true;
    }

    // The whole frame takes clicks.
    MouseArea {
        id: mouse
        anchors.fill: parent
        onClicked: button.click()
    }

    Item {
        anchors.fill: parent
        // A plain button: only a dimmer label while pressed.
        opacity: button.pressed ? 0.7 : 1

        Item {
            id: symbol
            anchors.fill: parent

            SystemImage {
                id: first
                objectName: "symbol"
                anchors.centerIn: parent
                size: button.size
                font.weight: Font.DemiBold
                opacity: button.firstIsFront ? 1 : 0
                scale: button.firstIsFront ? 1 : 0.5
                visible: opacity > 0
                Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
                Behavior on scale { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
            }
            SystemImage {
                id: second
                objectName: "symbol"
                anchors.centerIn: parent
                size: button.size
                font.weight: Font.DemiBold
                opacity: button.firstIsFront ? 0 : 1
                scale: button.firstIsFront ? 0.5 : 1
                visible: opacity > 0
                Behavior on opacity { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
                Behavior on scale { NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } }
            }
        }
    }

    // The bounce: a quick press-in, then a springy return.
    SequentialAnimation {
        id: bounce
        NumberAnimation { target: symbol; property: "scale"; to: 0.8; duration: 90; easing.type: Easing.OutQuad }
        SpringNumberAnimation { target: symbol; property: "scale"; to: 1; response: 0.3; dampingFraction: 0.5 }
    }
}
