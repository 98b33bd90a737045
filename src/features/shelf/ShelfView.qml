pragma ComponentBehavior: Bound
import QtQuick
import QtQuick.Layouts
import QtQuick.Shapes
import QtQuick.Templates as T
import Brimwell.Controls
import Brimwell.Shelf

// The Shelf tab: the dropped files as a strip of tiles, newest first. A
// tile drags out as the file itself, opens on a double click and has a
// context menu; while a drag hovers over the island a dashed frame invites
// the drop.
Item {
    id: view

    property ShelfService service: null
    /// A drag hovers over the island: the drop frame shows.
    property bool isDropTargeted: false

    /// A tile started to drag out of the island.
    signal externalDragStarted()

    readonly property alias logic: logic

    ShelfViewLogic {
        id: logic
        service: view.service
        active: view.visible
    }

    component CapsuleButton: T.AbstractButton {
        id: button
        implicitWidth: implicitContentWidth
        implicitHeight: implicitContentHeight
        Accessible.name: text
        contentItem: IslandCapsuleButtonStyle {
            text: button.text
            isPressed: button.pressed
        }
    }

    IslandMessageView {
        objectName: "shelfMessage"
        anchors.fill: parent
        visible: logic.content === ShelfContents.ShelfContent.empty
        systemImage: "tray.and.arrow.down"
        title: "Drop files on the notch to keep them here"
    }

    Column {
        anchors.centerIn: parent
        width: parent.width
        spacing: 8
        visible: logic.content === ShelfContents.ShelfContent.items

        Item {
            id: header
            objectName: "shelfHeader"
            width: parent.width
            height: 22

            Text {
                objectName: "shelfHeaderText"
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                text: logic.headerText
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pointSize: 10.5 * 72 / (Screen.logicalPixelDensity * 25.4) // fractional pixel sizes
                font.weight: Font.Medium
            }
            Row {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                spacing: 6
                // Only while a device can take the files: without one the
                // button could do nothing but log.
                CapsuleButton {
                    id: sendAllButton
                    objectName: "sendAllButton"
                    visible: logic.canSend
                    text: LinuxWording.sendAllToDevice
                    onClicked: view.sendAll(sendAllButton)
                }
                CapsuleButton {
                    objectName: "clearButton"
                    text: "Clear"
                    onClicked: logic.clear()
                }
            }
        }

        ListView {
            id: strip
            objectName: "shelfStrip"
            width: parent.width
            height: 48 + 4 + 14 + 8
            orientation: ListView.Horizontal
            spacing: 8
            clip: true
            boundsBehavior: Flickable.StopAtBounds
            model: logic.tiles

            delegate: Item {
                id: tile
                required property var itemId // a QUuid
                required property string name
                required property string path
                required property var preview // a QImage
                objectName: "shelfTile"
                width: 72
                height: strip.height
                Accessible.role: Accessible.Button
                Accessible.name: name
                T.ToolTip.visible: mouse.containsMouse && !mouse.pressed
                T.ToolTip.delay: 600
                T.ToolTip.text: path

                Column {
                    anchors.centerIn: parent
                    spacing: 4
                    Item {
                        anchors.horizontalCenter: parent.horizontalCenter
                        width: 48
                        height: 48
                        ShelfPreview {
                            id: preview
                            objectName: "shelfPreview"
                            anchors.fill: parent
                            // Qt 6.4 has no QML type for QImage; the preview goes from the model to C++.
                            image: tile.preview // qmllint disable type compiler
                        }
                        SystemImage {
                            anchors.centerIn: parent
                            visible: !preview.hasImage
                            systemImage: "doc"
                            size: 22
                            color: Qt.rgba(1, 1, 1, 0.6)
                        }
                    }
                    Text {
                        width: 72
                        horizontalAlignment: Text.AlignHCenter
                        text: tile.name
                        color: Qt.rgba(1, 1, 1, 0.85)
                        font.pixelSize: 10
                        elide: Text.ElideMiddle
                        maximumLineCount: 1
                    }
                }

                MouseArea {
                    id: mouse
                    objectName: "shelfTileMouse"
                    property point pressedAt
                    property bool dragging: false
                    anchors.fill: parent
                    hoverEnabled: true
                    // Qt 6.4's compiler has no bitwise or: this binding stays interpreted.
                    acceptedButtons: Qt.LeftButton | Qt.RightButton // qmllint disable compiler
                    onPressed: mouse => {
                        pressedAt = Qt.point(mouse.x, mouse.y);
                        dragging = false;
                    }
                    onPositionChanged: mouse => {
                        if (!pressed || dragging || !(mouse.buttons & Qt.LeftButton))
                            return;
                        if (Math.hypot(mouse.x - pressedAt.x, mouse.y - pressedAt.y) < Application.styleHints.startDragDistance)
                            return;
                        dragging = true;
                        view.externalDragStarted();
                        logic.startDrag(tile.itemId, tile);
                    }
                    onDoubleClicked: mouse => {
                        if (mouse.button === Qt.LeftButton)
                            logic.open(tile.itemId);
                    }
                    onClicked: mouse => {
                        if (mouse.button === Qt.RightButton)
                            view.openMenu(tile.itemId, tile, mouse.x, mouse.y);
                    }
                }
            }
        }
    }

    // Sends the item to the only device, or asks which one when there are
    // several. Qt 6.4 has no QML type for QUuid, so calls that take the
    // item's id stay uncompiled; the id goes back to C++ as it came.
    function send(itemId: var, anchor: Item) {
        if (logic.devices.count > 1)
            targets.openFor(itemId, false, false, anchor);
        else
            logic.send(itemId, ""); // qmllint disable compiler
    }

    function sendAll(anchor: Item) {
        if (logic.devices.count > 1)
            targets.openFor(null, true, false, anchor);
        else
            logic.sendAll("");
    }

    // The choice in the device menu. Its rows are not the menu's own, so it
    // is closed here.
    function sendTo(deviceId: string) {
        targets.close();
        if (targets.forAll)
            logic.sendAll(deviceId);
        else
            logic.send(targets.itemId, deviceId); // qmllint disable compiler
    }

    function openMenu(itemId: var, anchor: Item, x: real, y: real) {
        itemMenu.itemId = itemId;
        itemMenu.anchor = anchor;
        itemMenu.popup(anchor, x, y);
    }

    IslandMenu {
        id: itemMenu
        objectName: "shelfItemMenu"
        // Qt 6.4 has no QML type for QUuid: the menu's calls stay uncompiled.
        property var itemId // a QUuid
        property Item anchor: null
        readonly property bool canShare: logic.canSend || (view.service !== null && view.service.canEmail)

        IslandMenuItem {
            text: "Open"
            onTriggered: logic.open(itemMenu.itemId) // qmllint disable compiler
        }
        IslandMenuItem {
            text: LinuxWording.showInFolder
            onTriggered: logic.reveal(itemMenu.itemId) // qmllint disable compiler
        }
        IslandMenuItem {
            text: "Copy"
            onTriggered: logic.copy(itemMenu.itemId) // qmllint disable compiler
        }
        IslandMenuSeparator {
            visible: logic.canSend || itemMenu.canShare
            height: visible ? implicitHeight : 0
        }
        IslandMenuItem {
            objectName: "sendItem"
            text: LinuxWording.sendToDevice
            visible: logic.canSend
            height: visible ? implicitHeight : 0
            onTriggered: view.send(itemMenu.itemId, itemMenu.anchor)
        }
        IslandMenuItem {
            text: "Share…"
            visible: itemMenu.canShare
            height: visible ? implicitHeight : 0
            onTriggered: targets.openFor(itemMenu.itemId, false, true, itemMenu.anchor)
        }
        IslandMenuSeparator {}
        IslandMenuItem {
            text: "Remove from Shelf"
            onTriggered: logic.remove(itemMenu.itemId) // qmllint disable compiler
        }
    }

    // The devices to send to, and e-mail when sharing. Its rows are laid
    // out here rather than added to the menu, so that they follow the
    // devices (order included) while it is open.
    IslandMenu {
        id: targets
        objectName: "shelfTargetMenu"
        property var itemId // a QUuid
        property bool forAll: false
        property bool withEmail: false

        function openFor(itemId: var, forAll: bool, withEmail: bool, anchor: Item) {
            targets.itemId = itemId;
            targets.forAll = forAll;
            targets.withEmail = withEmail;
            targets.popup(anchor, 0, anchor.height);
        }

        contentItem: ColumnLayout {
            spacing: 0
            Repeater {
                model: logic.devices
                IslandMenuItem {
                    required property string deviceId
                    required property string name
                    objectName: "deviceEntry"
                    Layout.fillWidth: true
                    text: name
                    highlighted: hovered
                    // Qt 6.4's qmllint loses the file's ids in a delegate under a popup's contentItem.
                    onTriggered: view.sendTo(deviceId)
                }
            }
            IslandMenuItem {
                Layout.fillWidth: true
                text: "Email…"
                visible: targets.withEmail && view.service !== null && view.service.canEmail
                highlighted: hovered
                onTriggered: {
                    targets.close();
                    // Qt 6.4 has no QML type for QUuid.
                    logic.email(targets.itemId); // qmllint disable compiler
                }
            }
        }
    }

    // The drop frame, over everything, the empty message included.
    Item {
        objectName: "dropFrame"
        anchors.fill: parent
        opacity: view.isDropTargeted ? 1 : 0
        visible: opacity > 0
        Behavior on opacity {
            NumberAnimation { duration: 200; easing.type: Easing.InOutQuad }
        }

        Rectangle {
            anchors.fill: parent
            radius: 12
            color: Qt.rgba(0, 0, 0, 0.75)
        }
        Shape {
            anchors.fill: parent
            ShapePath {
                strokeColor: Qt.rgba(1, 1, 1, 0.6)
                strokeWidth: 1.5
                strokeStyle: ShapePath.DashLine
                dashPattern: [6 / 1.5, 4 / 1.5] // in stroke widths
                fillColor: "transparent"
                startX: 12.75; startY: 0.75
                PathLine { x: view.width - 12.75; y: 0.75 }
                PathArc { x: view.width - 0.75; y: 12.75; radiusX: 12; radiusY: 12 }
                PathLine { x: view.width - 0.75; y: view.height - 12.75 }
                PathArc { x: view.width - 12.75; y: view.height - 0.75; radiusX: 12; radiusY: 12 }
                PathLine { x: 12.75; y: view.height - 0.75 }
                PathArc { x: 0.75; y: view.height - 12.75; radiusX: 12; radiusY: 12 }
                PathLine { x: 0.75; y: 12.75 }
                PathArc { x: 12.75; y: 0.75; radiusX: 12; radiusY: 12 }
            }
        }
        Row {
            anchors.centerIn: parent
            spacing: 6
            SystemImage {
                anchors.verticalCenter: parent.verticalCenter
                systemImage: "tray.and.arrow.down.fill"
                size: 13
                color: "white"
            }
            Text {
                anchors.verticalCenter: parent.verticalCenter
                text: "Drop to add"
                color: "white"
                font.pixelSize: 13
                font.weight: Font.DemiBold
            }
        }
    }
}
