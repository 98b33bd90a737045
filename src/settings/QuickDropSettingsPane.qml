import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import QtQuick.Templates as T
import Brimwell.Clipboard
import Brimwell.Controls
import Brimwell.Services
import Brimwell.Settings
import Brimwell.Shelf

// The shelf and the clipboard history, each with a confirmed clear.
SettingsForm {
    id: pane

    required property SettingsStore settings
    required property SettingsViewLogic logic
    property ClipboardService clipboard: null
    property bool isConfirmingClipboardClear: false
    property ShelfService shelf: null
    property bool isConfirmingShelfClear: false

    SettingsSection {
        header: "Shelf"
        footer: LinuxWording.shelfFooter

        SettingsToggleRow {
            objectName: "showShelf"
            title: "Shelf"
            checked: pane.settings.showShelf
            onToggled: on => pane.settings.showShelf = on
        }
        SettingsRow {
            title: "Items on the shelf"
            Text {
                objectName: "shelfItems"
                text: pane.logic.shelfCount + " of " + pane.logic.shelfLimit
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 13
            }
        }
        SettingsRow {
            Item {
                Layout.fillWidth: true
            }
            Button {
                objectName: "clearShelf"
                text: "Clear"
                enabled: pane.shelf !== null && pane.logic.shelfCount > 0
                onClicked: pane.isConfirmingShelfClear = true
            }
        }
    }

    SettingsSection {
        header: "Clipboard"
        footer: "Keeps the last " + pane.logic.clipboardLimit + LinuxWording.clipboardFooterEnd

        SettingsToggleRow {
            objectName: "showClipboard"
            title: "Clipboard history"
            checked: pane.settings.showClipboard
            onToggled: on => pane.settings.showClipboard = on
        }
        SettingsRow {
            title: "Saved items"
            Text {
                objectName: "savedItems"
                text: pane.logic.clipboardCount + " of " + pane.logic.clipboardLimit
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 13
            }
        }
        SettingsRow {
            Item {
                Layout.fillWidth: true
            }
            Button {
                objectName: "clearClipboard"
                text: "Clear"
                enabled: pane.clipboard !== null && pane.logic.clipboardCount > 0
                onClicked: pane.isConfirmingClipboardClear = true
            }
        }
    }

    Dialog {
        objectName: "clearClipboardDialog"
        parent: T.Overlay.overlay
        anchors.centerIn: parent
        modal: true
        width: 380
        title: "Clear clipboard history?"
        visible: pane.isConfirmingClipboardClear
        onClosed: pane.isConfirmingClipboardClear = false

        contentItem: Text {
            text: LinuxWording.clearClipboardMessage
            color: Qt.rgba(1, 1, 1, 0.85)
            wrapMode: Text.Wrap
            font.pixelSize: 13
        }
        footer: DialogButtonBox {
            Button {
                text: "Cancel"
                // Qt 6.4's description of DialogButtonBox lacks the roles it takes from QPlatformDialogHelper.
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole // qmllint disable type compiler
            }
            Button {
                objectName: "confirmClearClipboard"
                text: "Clear " + pane.logic.clipboardCount + " Items"
                palette.buttonText: "#ff6961"
                DialogButtonBox.buttonRole: DialogButtonBox.DestructiveRole // qmllint disable type compiler
                onClicked: {
                    pane.clipboard.clear();
                    pane.isConfirmingClipboardClear = false;
                }
            }
        }
    }

    Dialog {
        objectName: "clearShelfDialog"
        parent: T.Overlay.overlay
        anchors.centerIn: parent
        modal: true
        width: 380
        title: "Clear the shelf?"
        visible: pane.isConfirmingShelfClear
        onClosed: pane.isConfirmingShelfClear = false

        contentItem: Text {
            text: "This removes every item from the shelf. Files stay where they are."
            color: Qt.rgba(1, 1, 1, 0.85)
            wrapMode: Text.Wrap
            font.pixelSize: 13
        }
        footer: DialogButtonBox {
            Button {
                text: "Cancel"
                // Qt 6.4's description of DialogButtonBox lacks the roles it takes from QPlatformDialogHelper.
                DialogButtonBox.buttonRole: DialogButtonBox.RejectRole // qmllint disable type compiler
            }
            Button {
                objectName: "confirmClearShelf"
                text: "Clear " + pane.logic.shelfCount + " Items"
                palette.buttonText: "#ff6961"
                DialogButtonBox.buttonRole: DialogButtonBox.DestructiveRole // qmllint disable type compiler
                onClicked: {
                    pane.shelf.clear();
                    pane.isConfirmingShelfClear = false;
                }
            }
        }
    }
}
