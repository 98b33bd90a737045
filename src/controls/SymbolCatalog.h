#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

/// Symbol names (the names the views use, e.g. "gearshape.fill") mapped to
/// glyphs of the Material Icons font from the Debian package
/// fonts-material-design-icons-iconfont.
///
/// Convention that the catalog test relies on: a symbol name is written as a
/// string literal on a line that mentions `systemImage` (the QML property of
/// `SystemImage` and `IslandMessageView`, or a C++ function of that name), so
/// the test can find every name in src/ and fail on one without a glyph.
class SymbolCatalog : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_SINGLETON

    /// The icon font's family; empty until loadFont() succeeded.
    Q_PROPERTY(QString fontFamily READ fontFamily CONSTANT FINAL)

public:
    explicit SymbolCatalog(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(SymbolCatalog)

    /// The installed font file.
    static QString fontPath();
    /// Adds the font to the application's fonts (once); logs and answers false
    /// when the package is missing. Symbols then draw as nothing.
    static bool loadFont();
    static QString fontFamily();
    /// Every name the catalog knows.
    static QStringList names();
    /// The Unicode code point for `name`, or 0.
    static char32_t codePoint(const QString& name);

    /// The glyph text for `name`; empty (and logged once) for an unknown name.
    Q_INVOKABLE static QString glyph(const QString& name);
    /// Pixel size of the icon font for a symbol drawn at text size `size`:
    /// Material glyphs sit inside a padded square, so they are drawn larger
    /// to match the cap height of text at that size.
    Q_INVOKABLE static int pixelSize(double size);
};
