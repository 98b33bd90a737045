pragma ComponentBehavior: Bound
import QtQuick
import Brimwell.Controls
import Brimwell.Calendar

// The month grid beside the selected day's events. The grid's month and
// selection start at today each time the view is made.
// Positions rather than anchors, so its 42 cells stay light; the click
// handlers carry `qmllint disable controls-sanity`: Qt 6.4 gives every file
// the hints meant for Qt Quick Controls' own styles, and a button needs one.
Item {
    id: view

    property CalendarService service: null

    CalendarTimeline { id: timeline }
    CalendarMonthModel {
        id: monthModel
        service: view.service
        now: timeline.now
    }

    component MonthButton: MouseArea {
        id: monthButton
        property string systemImage
        property string label
        width: 14
        height: 14
        cursorShape: Qt.PointingHandCursor
        Accessible.role: Accessible.Button
        Accessible.name: label
        SystemImage {
            x: (monthButton.width - width) / 2
            y: (monthButton.height - height) / 2
            systemImage: monthButton.systemImage
            size: 11
        }
    }

    Row {
        id: content
        width: view.width
        height: view.height
        spacing: 16

        Column {
            objectName: "monthGrid"
            width: 140
            spacing: 2

            Item {
                id: header
                width: parent.width
                height: 14 + 4 - 2

                MouseArea {
                    id: titleButton
                    objectName: "monthTitle"
                    width: title.implicitWidth
                    height: 14
                    Accessible.role: Accessible.Button
                    Accessible.name: monthModel.monthTitle
                    Accessible.description: "Go to today"
                    onClicked: monthModel.showToday() // qmllint disable controls-sanity
                    Text {
                        id: title
                        y: (titleButton.height - height) / 2
                        text: monthModel.monthTitle
                        color: "white"
                        font.pixelSize: 11
                        font.weight: Font.DemiBold
                    }
                }
                Row {
                    x: header.width - width
                    MonthButton {
                        objectName: "previousMonth"
                        systemImage: "chevron.left"
                        label: "Previous month"
                        onClicked: monthModel.showMonth(-1) // qmllint disable controls-sanity
                    }
                    MonthButton {
                        objectName: "nextMonth"
                        systemImage: "chevron.right"
                        label: "Next month"
                        onClicked: monthModel.showMonth(1) // qmllint disable controls-sanity
                    }
                }
            }

            Row {
                Repeater {
                    model: monthModel.weekdaySymbols
                    Text {
                        required property string modelData
                        width: 20
                        height: 11
                        text: modelData
                        horizontalAlignment: Text.AlignHCenter
                        color: Qt.rgba(1, 1, 1, 0.45)
                        font.pixelSize: 9
                        font.weight: Font.DemiBold
                    }
                }
            }

            Grid {
                objectName: "weeks"
                columns: 7
                Repeater {
                    model: monthModel.cells
                    Item {
                        id: cell
                        required property int day
                        required property bool isEmpty
                        required property bool isToday
                        required property bool isSelected
                        required property bool hasEvents
                        readonly property bool marked: isToday || isSelected
                        objectName: isEmpty ? "emptySlot" : "day_" + day
                        width: 20
                        height: 16

                        MouseArea {
                            width: cell.width
                            height: cell.height
                            visible: !cell.isEmpty
                            Accessible.role: Accessible.Button
                            Accessible.name: String(cell.day)
                            onClicked: monthModel.selectDay(cell.day) // qmllint disable controls-sanity
                        }
                        Rectangle {
                            x: (cell.width - width) / 2
                            y: (cell.height - height) / 2
                            visible: !cell.isEmpty
                            width: 16
                            height: 16
                            radius: 8
                            color: cell.isToday ? Qt.rgba(1, 0.271, 0.227, 1)
                                 : cell.isSelected ? Qt.rgba(1, 1, 1, 0.2) : "transparent"
                        }
                        TabularText {
                            x: (cell.width - width) / 2
                            y: 0
                            height: 12
                            visible: !cell.isEmpty
                            text: cell.isEmpty ? "" : String(cell.day)
                            color: Qt.rgba(1, 1, 1, cell.marked || cell.hasEvents ? 1 : 0.55)
                            font.pixelSize: 10
                            font.weight: cell.marked ? Font.Bold : Font.Medium
                        }
                        Rectangle {
                            x: (cell.width - width) / 2
                            y: 12
                            width: 3
                            height: 3
                            radius: 1.5
                            visible: !cell.isEmpty && cell.hasEvents
                            color: Qt.rgba(1, 1, 1, cell.isToday ? 1 : 0.6)
                        }
                    }
                }
            }
        }

        Rectangle {
            width: 1
            height: parent.height
            color: Qt.rgba(1, 1, 1, 0.12)
        }

        Column {
            id: dayList
            width: content.width - 140 - 1 - 2 * content.spacing
            spacing: 6

            Text {
                objectName: "selectedDayTitle"
                text: monthModel.selectedDayTitle
                color: Qt.rgba(1, 1, 1, 0.7)
                font.pixelSize: 11
                font.weight: Font.DemiBold
            }
            Text {
                objectName: "noEventsOnDay"
                visible: monthModel.selectedRows.count === 0
                text: "No events"
                color: Qt.rgba(1, 1, 1, 0.45)
                font.pixelSize: 11
                font.weight: Font.Medium
            }
            Repeater {
                model: monthModel.selectedRows
                CalendarEventRow {
                    objectName: "dayRow"
                    width: dayList.width
                    compact: true
                }
            }
        }
    }
}
