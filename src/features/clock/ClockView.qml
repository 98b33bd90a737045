import QtQuick
import Brimwell.Clock
import Brimwell.Controls

// The time in the status band, moved on at each minute boundary: hour and
// minute in 12-pt semibold, and a smaller AM/PM marker for twelve-hour locales.
Row {
    id: clock

    Accessible.role: Accessible.StaticText
    Accessible.name: timeline.timeText + (timeline.periodText !== "" ? " " + timeline.periodText : "")

    ClockTimeline {
        id: timeline
    }

    TabularText {
        id: time
        objectName: "clockTime"
        text: timeline.timeText + (timeline.periodText !== "" ? " " : "")
        color: "white"
        font.pixelSize: 12
        font.weight: Font.DemiBold
        Accessible.ignored: true
    }

    Text {
        objectName: "clockPeriod"
        visible: text !== ""
        anchors.baseline: time.baseline
        text: timeline.periodText
        color: "white"
        // 9.5 px; pixel sizes are whole, so the size goes through points.
        font.pointSize: 9.5 * 72 / (Screen.logicalPixelDensity * 25.4)
        font.weight: Font.DemiBold
        maximumLineCount: 1
        Accessible.ignored: true
    }
}
