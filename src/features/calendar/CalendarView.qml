import QtQuick
import Brimwell.Controls
import Brimwell.Calendar

// The Calendar tab: the access message until the user allowed it, then
// today's list or the month grid. Not ComponentBehavior: Bound, which Qt
// 6.4's Loader cannot instantiate; so the two components reach `view`
// unqualified, which 6.4 can neither resolve nor compile. The handlers carry
// `qmllint disable controls-sanity`: Qt 6.4 gives every file the hints meant
// for Qt Quick Controls' own styles.
Item {
    id: view

    /// The service shown; it is never owned here.
    property CalendarService service: null
    /// The month grid instead of today's list.
    property bool showsMonth: false

    readonly property int access: view.service ? view.service.access : CalendarAccesses.CalendarAccess.notDetermined

    // Each time the tab is shown: made when the tab is chosen, made visible
    // when the island opens on it.
    function shown() { // qmllint disable controls-sanity
        if (service && visible)
            service.refreshAccess();
    }
    Component.onCompleted: shown() // qmllint disable controls-sanity
    onVisibleChanged: shown() // qmllint disable controls-sanity

    IslandMessageView {
        objectName: "calendarAccessMessage"
        width: view.width
        height: view.height // qmllint disable controls-sanity
        visible: view.service !== null && view.access !== CalendarAccesses.CalendarAccess.granted
        systemImage: view.access === CalendarAccesses.CalendarAccess.denied ? "calendar.badge.exclamationmark" : "calendar"
        title: view.access === CalendarAccesses.CalendarAccess.denied ? "Calendar access is turned off" : "See your events here"
        actionTitle: view.access === CalendarAccesses.CalendarAccess.denied ? "Open Privacy Settings" : "Allow Calendar Access"
        onActionTriggered: { // qmllint disable controls-sanity
            if (!view.service)
                return;
            if (view.access === CalendarAccesses.CalendarAccess.denied)
                view.service.openPrivacySettings();
            else
                view.service.requestAccess();
        }
    }

    Loader {
        width: view.width
        height: view.height
        active: view.access === CalendarAccesses.CalendarAccess.granted
        sourceComponent: view.showsMonth ? monthView : todayView
    }

    Component {
        id: todayView
        CalendarTodayView { service: view.service } // qmllint disable unqualified compiler
    }
    Component {
        id: monthView
        CalendarMonthView { service: view.service } // qmllint disable unqualified compiler
    }
}
