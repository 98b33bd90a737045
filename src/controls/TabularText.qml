pragma ComponentBehavior: Bound
import QtQuick

// Text whose digits each take the width of the widest digit, so a ticking
// time never shifts its neighbours: tabular figures, laid out by hand since
// Qt 6.4 cannot ask the font for its own. One cell per character; cells are
// made again only when the length changes.
Item {
    id: label

    property string text
    property color color: "white"
    property font font
    /// Horizontal placement of the text when the label is wider than it.
    property int horizontalAlignment: Text.AlignLeft

    readonly property real digitWidth: Math.ceil(Math.max(metrics.advanceWidth("0"), metrics.advanceWidth("1"),
        metrics.advanceWidth("2"), metrics.advanceWidth("3"), metrics.advanceWidth("4"), metrics.advanceWidth("5"),
        metrics.advanceWidth("6"), metrics.advanceWidth("7"), metrics.advanceWidth("8"), metrics.advanceWidth("9")))
    // The cells' widths, summed by the row that lays them out.
    readonly property real contentWidth: Math.ceil(cells.implicitWidth)

    function isDigit(character: string): bool {
        return character >= "0" && character <= "9";
    }

    implicitWidth: contentWidth
    implicitHeight: metrics.height
    baselineOffset: metrics.ascent

    FontMetrics {
        id: metrics
        font: label.font
    }

    Row {
        id: cells
        objectName: "cells"
        x: label.horizontalAlignment === Text.AlignHCenter ? Math.max(0, (label.width - label.contentWidth) / 2)
         : label.horizontalAlignment === Text.AlignRight ? Math.max(0, label.width - label.contentWidth) : 0
        height: label.height

        Repeater {
            model: label.text.length

            Text {
                required property int index
                readonly property string character: label.text.charAt(index)

                width: label.isDigit(character) ? label.digitWidth : metrics.advanceWidth(character)
                text: character
                color: label.color
                font: label.font
                horizontalAlignment: Text.AlignHCenter
                Accessible.ignored: true
            }
        }
    }
}
