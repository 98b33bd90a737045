import QtQuick
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
    /// The island view model: `isDropTargeted` and `startExternalDrag()`.
    property QtObject viewModel: null

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
        visible: logic.content === "empty"
        systemImage: "tray.and.arrow.down"
        title: "Drop files on the notch to keep them here"
    }

    Column {
        anchors.centerIn: parent
        width: parent.width
        spacing: 8
        visible: logic.content === "items"

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
                    objectName: "sendAllButton"
                    visible: logic.canSend
                    text: LinuxWording.sendAllToDevice
                    onClicked: view.send("", this)
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
                required property var modelData
                objectName: "shelfTile"
                width: 72
                height: ListView.view.height
                Accessible.role: Accessible.Button
                Accessible.name: modelData.name
                T.ToolTip.visible: mouse.containsMouse && !mouse.pressed
                T.ToolTip.delay: 600
                T.ToolTip.text: modelData.path

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
                            service: view.service // qmllint disable unqualified
                            itemId: tile.modelData.id
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
                        text: tile.modelData.name
                        color: Qt.rgba(1, 1, 1, 0.85)
                        font.pixelSize: 10
                        elide: Text.ElideMiddle
                        maximumLineCount: 1
                    }
                }

                MouseArea {
                    id: mouse
                    property point pressedAt
                    property bool dragging: false
                    anchors.fill: parent
                    hoverEnabled: true
                    acceptedButtons: Qt.LeftButton | Qt.RightButton
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
                        if (view.viewModel)
                            view.viewModel.startExternalDrag();
                        logic.startDrag(tile.modelData.id, tile); // qmllint disable unqualified
                    }
                    onDoubleClicked: mouse => {
                        if (mouse.button === Qt.LeftButton)
                            logic.open(tile.modelData.id); // qmllint disable unqualified
                    }
                    onClicked: mouse => {
                        if (mouse.button === Qt.RightButton)
                            view.openMenu(tile.modelData.id, tile, mouse.x, mouse.y);
                    }
                }
            }
        }
    }

    // Sends the item (all items with an empty id) to the only device, or
    // asks which one when there are several.
    function send(itemId: string, anchor: Item) {
        if (view.service && view.service.devices.length > 1)
            targets.openFor(itemId, false, anchor, 0, anchor.height);
        else if (itemId === "")
            logic.sendAll("");
        else
            logic.send(itemId, "");
    }

    function openMenu(itemId: string, anchor: Item, x: real, y: real) {
        itemMenu.itemId = itemId;
        itemMenu.anchor = anchor;
        itemMenu.popup(anchor, x, y);
    }

    IslandMenu {
        id: itemMenu
        objectName: "shelfItemMenu"
        property string itemId
        property Item anchor: null
        readonly property bool canShare: view.service !== null && (view.service.devices.length > 0 || view.service.canEmail)

        IslandMenuItem {
            text: "Open"
            onTriggered: logic.open(itemMenu.itemId)
        }
        IslandMenuItem {
            text: LinuxWording.showInFolder
            onTriggered: logic.reveal(itemMenu.itemId)
        }
        IslandMenuItem {
            text: "Copy"
            onTriggered: logic.copy(itemMenu.itemId)
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
            onTriggered: targets.openFor(itemMenu.itemId, true, itemMenu.anchor, 0, itemMenu.anchor.height)
        }
        IslandMenuSeparator {}
        IslandMenuItem {
            text: "Remove from Shelf"
            onTriggered: logic.remove(itemMenu.itemId)
        }
    }

    Component {
        id: deviceEntry
        IslandMenuItem {
            property string deviceId
            onTriggered: targets.itemId === "" ? logic.sendAll(deviceId) : logic.send(targets.itemId, deviceId) // qmllint disable unqualified
        }
    }

    // The devices to send to, and e-mail when sharing.
    IslandMenu {
        id: targets
        objectName: "shelfTargetMenu"
        property string itemId
        property bool withEmail: false

        function openFor(itemId: string, withEmail: bool, anchor: Item, x: real, y: real) {
            targets.itemId = itemId;
            targets.withEmail = withEmail;
            // One entry per device as it is now, then "Email…", the last.
            while (targets.count > 1)
                targets.takeItem(0).destroy();
            const devices = view.service ? view.service.devices : [];
            for (let i = 0; i < devices.length; ++i)
                targets.insertItem(i, deviceEntry.createObject(null, { text: devices[i].name, deviceId: devices[i].id }));
            targets.popup(anchor, x, y);
        }
        IslandMenuItem {
            text: "Email…"
            visible: targets.withEmail && view.service !== null && view.service.canEmail
            height: visible ? implicitHeight : 0
            onTriggered: logic.email(targets.itemId)
        }
    }

    // The drop frame, over everything, the empty message included.
    Item {
        objectName: "dropFrame"
        anchors.fill: parent
        opacity: view.viewModel && view.viewModel.isDropTargeted ? 1 : 0
        visible: opacity > 0
        Behavior on opacity {
            NumberAnimation { duration: 200; easing.type: Easing.InOutQuad } // qmllint disable unqualified
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
