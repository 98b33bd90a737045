import QtQuick
import QtQuick.Controls.Fusion
import Brimwell.Calendar
import Brimwell.Controls
import Brimwell.Services
import Brimwell.Settings

// The Calendar switch, today's list or the month, and the access to the
// desktop's calendars, given and withdrawn here.
SettingsForm {
    id: pane

    required property SettingsStore settings
    required property SettingsViewLogic logic
    property CalendarService calendar: null

    SettingsSection {
        footer: "Shows your calendar in the expanded island. Cancelled and declined events are skipped."

        SettingsToggleRow {
            objectName: "showCalendar"
            title: "Calendar"
            checked: pane.settings.showCalendar
            onToggled: on => pane.settings.showCalendar = on
        }
    }

    SettingsSection {
        visible: pane.settings.showCalendar
        header: "Options"
        footer: pane.settings.calendarShowsTodayOnly
            ? "Shows today’s date with up to " + pane.logic.todayLimit + " of today’s events: upcoming first, then all-day, then ones that already ended (dimmed)."
            : "Shows the full month. Click a day to see its events."

        SettingsToggleRow {
            objectName: "calendarShowsTodayOnly"
            title: "Show today only"
            checked: pane.settings.calendarShowsTodayOnly
            onToggled: on => pane.settings.calendarShowsTodayOnly = on
        }
        SettingsRow {
            objectName: "calendarAccess"
            title: "Calendar access"
            Text {
                visible: pane.logic.calendarAccess === CalendarAccesses.CalendarAccess.granted
                text: "Allowed"
                color: Qt.rgba(1, 1, 1, 0.5)
                font.pixelSize: 13
            }
            Button {
                objectName: "withdrawCalendarAccess"
                visible: pane.logic.calendarAccess === CalendarAccesses.CalendarAccess.granted
                text: LinuxWording.calendarWithdraw
                onClicked: pane.calendar.withdrawAccess()
            }
            Button {
                objectName: "allowCalendarAccess"
                visible: pane.logic.calendarAccess === CalendarAccesses.CalendarAccess.notDetermined
                    || pane.logic.calendarAccess === CalendarAccesses.CalendarAccess.denied
                text: "Allow…"
                onClicked: pane.calendar.requestAccess()
            }
        }
    }
}
