import QtQuick
import QtQuick.Controls.Fusion
import QtQuick.Layouts
import Brimwell.Controls

// A labelled slider with its value after it, monospaced digits right-aligned
// in 44 points.
SettingsRow {
    id: row

    property real value
    property real from: 0
    property real to: 1
    property real stepSize: 0.05
    property string valueText
    signal moved(real value)

    Slider {
        id: slider
        objectName: row.objectName + "Slider"
        from: row.from
        to: row.to
        stepSize: row.stepSize
        snapMode: Slider.SnapAlways
        value: row.value
        Layout.preferredWidth: 260
        Accessible.name: row.title
        onMoved: {
            row.moved(slider.value);
            slider.value = Qt.binding(() => row.value);
        }
    }
    TabularText {
        objectName: row.objectName + "Value"
        text: row.valueText
        color: Qt.rgba(1, 1, 1, 0.6)
        font.pixelSize: 12
        horizontalAlignment: Text.AlignRight
        Layout.preferredWidth: 44
        Layout.preferredHeight: 16
    }
}
