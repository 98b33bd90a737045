pragma ComponentBehavior: Bound

import QtQuick
import Brimwell.Activities

// The Activities tab: every running activity, newest first.
Item {
    id: view

    property ActivityService service: null

    ListView {
        objectName: "activityList"
        anchors.fill: parent
        clip: true
        spacing: 6
        boundsBehavior: Flickable.StopAtBounds
        model: view.service ? view.service.rows : null

        delegate: ActivityRow {
            id: row
            width: ListView.view.width
            onDismissed: view.service.dismiss(row.activityId)
            onActionInvoked: index => view.service.invokeAction(row.activityId, index)
        }
    }
}
