import QtQuick
import QtQuick.Controls.Fusion

// A labelled switch. `checked` follows the caller's binding; a flip is
// reported through `toggled` so the caller writes its own store.
SettingsRow {
    id: row

    property bool checked
    signal toggled(bool on)

    Switch {
        id: toggle
        objectName: row.objectName + "Switch"
        checked: row.checked
        enabled: row.isEnabled
        Accessible.name: row.title
        onToggled: {
            row.toggled(toggle.checked);
            toggle.checked = Qt.binding(() => row.checked);
        }
    }
}
