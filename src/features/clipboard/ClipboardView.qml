pragma ComponentBehavior: Bound

import QtQuick
import QtQuick.Templates as T
import Brimwell.Controls
import Brimwell.Clipboard

// The Clipboard tab: the history, newest first, one row per entry; a click
// copies the entry back. A header counts the entries and offers to clear
// them, with a confirmation that lapses after 5 s.
Item {
    id: view

    property ClipboardService service: null

    readonly property alias logic: logic

    ClipboardViewLogic {
        id: logic
        service: view.service
        active: view.visible
    }

    component CapsuleButton: T.AbstractButton {
        id: button
        property bool isDestructive: false
        implicitWidth: implicitContentWidth
        implicitHeight: implicitContentHeight
        Accessible.name: text
        contentItem: IslandCapsuleButtonStyle {
            text: button.text
            isPressed: button.pressed
            isDestructive: button.isDestructive
        }
    }

    IslandMessageView {
        readonly property bool isDenied: logic.content === ClipboardContents.ClipboardContent.denied
        objectName: "clipboardMessage"
        anchors.fill: parent
        visible: logic.content !== ClipboardContents.ClipboardContent.history
        systemImage: "doc.on.clipboard"
        title: isDenied ? "Clipboard access is turned off" : "Text you copy shows up here"
        actionTitle: isDenied ? "Open Privacy Settings" : ""
        onActionTriggered: view.service.openPrivacySettings()
    }

    Column {
        id: history
        anchors.fill: parent
        spacing: 6
        visible: logic.content === ClipboardContents.ClipboardContent.history

        Item {
            id: header
            objectName: "clipboardHeader"
            width: parent.width
            height: 22

            Text {
                objectName: "clipboardHeaderText"
                anchors.left: parent.left
                anchors.verticalCenter: parent.verticalCenter
                text: logic.headerText
                color: Qt.rgba(1, 1, 1, logic.isConfirmingClear ? 0.85 : 0.5)
                font.pointSize: 10.5 * 72 / (Screen.logicalPixelDensity * 25.4) // fractional pixel sizes
                font.weight: logic.isConfirmingClear ? Font.DemiBold : Font.Medium
            }
            Row {
                anchors.right: parent.right
                anchors.verticalCenter: parent.verticalCenter
                spacing: 6
                CapsuleButton {
                    objectName: "clearButton"
                    text: "Clear"
                    isDestructive: logic.isConfirmingClear
                    onClicked: logic.isConfirmingClear ? logic.confirmClear() : logic.beginClear()
                }
                CapsuleButton {
                    objectName: "cancelClearButton"
                    visible: logic.isConfirmingClear
                    text: "Cancel"
                    onClicked: logic.cancelClear()
                }
            }
        }

        ListView {
            id: list
            objectName: "clipboardList"
            width: parent.width
            height: history.height - header.height - history.spacing
            clip: true
            spacing: 2
            boundsBehavior: Flickable.StopAtBounds
            model: logic.rows

            // Rows are updated in place (ages, "Copied") or moved, so a row
            // keeps its hover and tooltip and the list its scroll position.
            delegate: Item {
                id: row
                required property var itemID
                required property string preview
                required property string metadata
                required property string tooltip
                required property bool isCopied
                readonly property alias isHovered: mouse.containsMouse
                objectName: "clipboardRow"
                width: ListView.view.width
                height: 24
                Accessible.role: Accessible.Button
                Accessible.name: row.preview
                T.ToolTip.visible: mouse.containsMouse
                T.ToolTip.delay: 600
                T.ToolTip.text: row.tooltip

                Rectangle {
                    anchors.fill: parent
                    radius: 6
                    color: Qt.rgba(1, 1, 1, mouse.containsMouse ? 0.1 : 0)
                }
                Text {
                    anchors.left: parent.left
                    anchors.leftMargin: 8
                    anchors.right: trailing.left
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    text: row.preview
                    color: "white"
                    font.pointSize: 11.5 * 72 / (Screen.logicalPixelDensity * 25.4)
                    elide: Text.ElideRight
                    maximumLineCount: 1
                }
                Row {
                    id: trailing
                    anchors.right: parent.right
                    anchors.rightMargin: 8
                    anchors.verticalCenter: parent.verticalCenter
                    spacing: 3
                    SystemImage {
                        visible: row.isCopied
                        systemImage: "checkmark"
                        size: 10
                        color: "#30d158"
                    }
                    Text {
                        objectName: "rowMetadata"
                        text: row.isCopied ? "Copied" : row.metadata
                        color: row.isCopied ? "#30d158" : Qt.rgba(1, 1, 1, 0.45)
                        font.pixelSize: 10
                        font.weight: row.isCopied ? Font.DemiBold : Font.Normal
                    }
                }
                MouseArea {
                    id: mouse
                    anchors.fill: parent
                    hoverEnabled: true
                    onClicked: {
                        // Qt 6.4 has no QML type for QUuid: the id goes back to C++ as it came.
                        logic.copy(row.itemID); // qmllint disable compiler
                        // The row moved to the top. Lay the list out now rather
                        // than at the next frame's polish, so that the frame
                        // drawing the move also hovers the row that came under
                        // the pointer.
                        list.forceLayout();
                    }
                }
            }
        }
    }
}
