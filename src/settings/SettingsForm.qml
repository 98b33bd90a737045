import QtQuick
import QtQuick.Layouts

// A pane's sections, scrolling when they outgrow the window, over the
// window's own background.
Flickable {
    id: form

    default property alias sections: column.data

    contentWidth: width
    contentHeight: column.implicitHeight + 24
    clip: true
    boundsBehavior: Flickable.StopAtBounds

    ColumnLayout {
        id: column
        x: 24
        y: 12
        width: form.width - 48
        spacing: 18
    }
}
