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

    readonly property real digitWidth: {
        let widest = 0;
        for (let digit = 0; digit <= 9; ++digit)
            widest = Math.max(widest, metrics.advanceWidth(String(digit)));
        return Math.ceil(widest);
    }
    readonly property real contentWidth: {
        let total = 0;
        for (let i = 0; i < text.length; ++i)
            total += isDigit(text.charAt(i)) ? digitWidth : metrics.advanceWidth(text.charAt(i));
        return Math.ceil(total);
    }

    function isDigit(character) {
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
