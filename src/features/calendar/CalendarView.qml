import QtQuick
import Brimwell.Controls
import Brimwell.Calendar

// The Calendar tab: the access message until the user allowed it, then
// today's list or the month grid. Not ComponentBehavior: Bound, which Qt
// 6.4's Loader cannot instantiate.
Item {
    id: view

    /// The service shown; it is never owned here.
    property CalendarService service: null
    /// The month grid instead of today's list.
    property bool showsMonth: false

    readonly property int access: service ? service.access : CalendarAccesses.CalendarAccess.notDetermined

    // Each time the tab is shown: made when the tab is chosen, made visible
    // when the island opens on it.
    function shown() {
        if (service && visible)
            service.refreshAccess();
    }
    Component.onCompleted: shown()
    onVisibleChanged: shown()

    IslandMessageView {
        objectName: "calendarAccessMessage"
        anchors.fill: parent
        visible: view.service !== null && view.access !== CalendarAccesses.CalendarAccess.granted
        systemImage: view.access === CalendarAccesses.CalendarAccess.denied ? "calendar.badge.exclamationmark" : "calendar"
        title: view.access === CalendarAccesses.CalendarAccess.denied ? "Calendar access is turned off" : "See your events here"
        actionTitle: view.access === CalendarAccesses.CalendarAccess.denied ? "Open Privacy Settings" : "Allow Calendar Access"
        onActionTriggered: {
            if (!view.service)
                return;
            if (view.access === CalendarAccesses.CalendarAccess.denied)
                view.service.openPrivacySettings();
            else
                view.service.requestAccess();
        }
    }

    Loader {
        anchors.fill: parent
        active: view.access === CalendarAccesses.CalendarAccess.granted
        sourceComponent: view.showsMonth ? monthView : todayView
    }

    Component {
        id: todayView
        CalendarTodayView { service: view.service } // qmllint disable unqualified
    }
    Component {
        id: monthView
        CalendarMonthView { service: view.service } // qmllint disable unqualified
    }
}
