import QtQuick
import Brimwell.Controls

// A named symbol, drawn as a glyph of the icon font (see SymbolCatalog).
Text {
    /// The symbol's name, e.g. "gearshape.fill".
    property string systemImage
    /// The text size the symbol is drawn to match.
    property real size: 12

    text: SymbolCatalog.glyph(systemImage)
    font.family: SymbolCatalog.fontFamily
    font.pixelSize: SymbolCatalog.pixelSize(size)
    color: "white"
    horizontalAlignment: Text.AlignHCenter
    verticalAlignment: Text.AlignVCenter
    Accessible.ignored: true
}
