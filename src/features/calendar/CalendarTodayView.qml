pragma ComponentBehavior: Bound
import QtQuick
import Brimwell.Controls
import Brimwell.Calendar

// Today's list: the date badge beside up to three events, redrawn each minute.
Item {
    id: view

    property CalendarService service: null

    CalendarTimeline { id: timeline }
    CalendarTodayModel {
        id: todayModel
        service: view.service
        now: timeline.now
    }

    // Positions rather than anchors throughout, so the file stays clean of
    // qmllint's controls-sanity hints.
    Row {
        id: content
        y: (view.height - height) / 2
        width: view.width
        spacing: 16

        Column {
            id: badge
            objectName: "dateBadge"
            y: (content.height - height) / 2
            width: 56
            Accessible.role: Accessible.StaticText
            Accessible.name: todayModel.weekdayText + " " + todayModel.dayText

            Text {
                x: (badge.width - width) / 2
                text: todayModel.weekdayText
                // The system red of the dark appearance.
                color: Qt.rgba(1, 0.271, 0.227, 1)
                font.pixelSize: 10
                font.weight: Font.Bold
                Accessible.ignored: true
            }
            TabularText {
                x: (badge.width - width) / 2
                text: todayModel.dayText
                color: "white"
                font.pixelSize: 28
            }
        }

        Item {
            y: (content.height - height) / 2
            width: content.width - 56 - content.spacing
            height: todayModel.rows.count === 0 ? empty.implicitHeight : list.implicitHeight

            Text {
                id: empty
                objectName: "noEventsToday"
                visible: todayModel.rows.count === 0
                text: "No events today"
                color: Qt.rgba(1, 1, 1, 0.6)
                font.pixelSize: 12
                font.weight: Font.Medium
            }

            Column {
                id: list
                width: parent.width
                spacing: 8
                Repeater {
                    model: todayModel.rows
                    CalendarEventRow {
                        objectName: "todayRow"
                        width: list.width
                    }
                }
            }
        }
    }
}
