#include "SymbolCatalog.h"

#include <QDirIterator>
#include <QFile>
#include <QRawFont>
#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {
// Every symbol name written in the program: string literals on lines that
// mention systemImage (see SymbolCatalog.h).
QSet<QString> namesUsedInSources()
{
    const QString root = qEnvironmentVariable("BRIMWELL_SOURCE_DIR") + QStringLiteral("/src");
    static const QRegularExpression literal(QStringLiteral(R"re("([a-z][a-z0-9]*(?:\.[a-z0-9]+)*)")re"));
    QSet<QString> names;
    QDirIterator files(root, { QStringLiteral("*.qml"), QStringLiteral("*.cpp"), QStringLiteral("*.h") }, QDir::Files,
        QDirIterator::Subdirectories);
    while (files.hasNext()) {
        QFile file(files.next());
        if (!file.open(QIODevice::ReadOnly))
            continue;
        for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n')) {
            if (!line.contains(QLatin1String("systemImage")) || line.trimmed().startsWith(QLatin1String("//")))
                continue;
            for (const auto& match : literal.globalMatch(line))
                names.insert(match.captured(1));
        }
    }
    return names;
}
} // namespace

TEST(SymbolCatalogTest, EveryNameInTheProgramHasAGlyphInTheInstalledFont)
{
    ASSERT_TRUE(SymbolCatalog::loadFont());
    EXPECT_EQ(SymbolCatalog::fontFamily(), QStringLiteral("Material Icons"));
    const QRawFont font(SymbolCatalog::fontPath(), 24);
    ASSERT_TRUE(font.isValid());
    for (const QString& name : SymbolCatalog::names())
        EXPECT_TRUE(font.supportsCharacter(SymbolCatalog::codePoint(name))) << name.toStdString();

    const QSet<QString> used = namesUsedInSources();
    EXPECT_TRUE(used.contains(QStringLiteral("gearshape.fill"))); // the scan finds the views' symbols
    EXPECT_TRUE(used.contains(QStringLiteral("switch.2")));
    for (const QString& name : used)
        EXPECT_FALSE(SymbolCatalog::glyph(name).isEmpty()) << "no glyph for " << name.toStdString();
    EXPECT_TRUE(SymbolCatalog::glyph(QStringLiteral("no.such.symbol")).isEmpty());
}
