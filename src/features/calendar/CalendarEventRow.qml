import QtQuick
import Brimwell.Controls
import Brimwell.Calendar

// One event: a bar in the calendar's colour beside the title and the detail
// line (time range or "All day", then "Now" or the time until it starts).
// The delegate of the calendar models' row lists, filled from their roles.
Row {
    id: row

    required property string title
    required property color eventColor
    required property string base
    /// A CalendarEventSuffixes.CalendarEventSuffix value.
    required property int suffix
    required property string until
    required property bool isDimmed
    /// The smaller size of the month view's list.
    property bool compact: false

    readonly property bool isNow: suffix === CalendarEventSuffixes.CalendarEventSuffix.now

    spacing: 8
    opacity: isDimmed ? 0.45 : 1

    // Positions rather than anchors, as the row is a delegate.
    Rectangle {
        y: (row.height - height) / 2
        width: 3
        height: row.compact ? 26 : 32
        radius: 1.5
        color: row.eventColor
        antialiasing: true
    }

    Column {
        y: (row.height - height) / 2
        width: row.width - 3 - row.spacing
        spacing: 2

        Text {
            objectName: "eventTitle"
            width: parent.width
            text: row.title
            color: "white"
            font.pixelSize: row.compact ? 11.5 : 12.5
            font.weight: Font.DemiBold
            elide: Text.ElideRight
            maximumLineCount: 1
        }

        Row {
            TabularText {
                objectName: "eventDetail"
                text: row.base
                color: Qt.rgba(1, 1, 1, 0.55)
                font.pixelSize: row.compact ? 10 : 10.5
            }
            TabularText {
                visible: row.isNow
                text: " · "
                color: Qt.rgba(1, 1, 1, 0.55)
                font.pixelSize: row.compact ? 10 : 10.5
            }
            Text {
                objectName: "eventNow"
                visible: row.isNow
                text: "Now"
                // The system green of the dark appearance.
                color: Qt.rgba(0.188, 0.82, 0.345, 1)
                font.pixelSize: row.compact ? 10 : 10.5
            }
            TabularText {
                objectName: "eventUntil"
                visible: row.suffix === CalendarEventSuffixes.CalendarEventSuffix.until
                text: " · in " + row.until
                color: Qt.rgba(1, 1, 1, 0.55)
                font.pixelSize: row.compact ? 10 : 10.5
            }
        }
    }
}
