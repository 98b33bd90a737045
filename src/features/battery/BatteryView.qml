import QtQuick
import Brimwell.Controls
import Brimwell.Battery

// The battery in the status band: the percentage and a battery or bolt
// symbol, 3 apart on one line, read out as one element.
Row {
    id: indicator

    property int level: 0
    property bool isCharging: false
    property bool isPluggedIn: false

    readonly property alias logic: logic

    spacing: 3

    BatteryIndicatorLogic {
        id: logic
        level: indicator.level
        isCharging: indicator.isCharging
        isPluggedIn: indicator.isPluggedIn
    }

    Accessible.role: Accessible.StaticText
    Accessible.name: logic.accessibleName

    TabularText {
        objectName: "batteryLevel"
        anchors.verticalCenter: parent.verticalCenter
        text: logic.text
        color: "white"
        font.pixelSize: 12
        font.weight: Font.DemiBold
        Accessible.ignored: true
    }
    SystemImage {
        objectName: "batteryIcon"
        anchors.verticalCenter: parent.verticalCenter
        systemImage: logic.systemImage
        size: 11
        font.weight: Font.DemiBold
        color: logic.iconColor
    }
}
