#pragma once

#include <QAccessible>
#include <QDir>
#include <QImage>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickView>

/// Looking at views drawn in a real window: their pixels, their items and
/// screenshots kept under screenshots/ in the build tree for a person.
namespace ViewProbe {

inline int lightness(QRgb c)
{
    return (qRed(c) + qGreen(c) + qBlue(c)) / 3;
}

/// Pixels in `area` brighter than `level`.
inline int brightPixels(const QImage& image, const QRect& area, int level = 150)
{
    int count = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            count += lightness(image.pixel(x, y)) > level;
    return count;
}

/// The item named `name` at or under `from`. Items made by a Repeater have
/// no QObject parent, so the visual tree is searched.
inline QQuickItem* find(QQuickItem* from, const QString& name)
{
    if (!from || from->objectName() == name)
        return from;
    for (QQuickItem* child : from->childItems())
        if (QQuickItem* found = find(child, name))
            return found;
    return nullptr;
}

/// The name a screen reader says for `item`.
inline QString accessibleName(QQuickItem* item)
{
    QAccessibleInterface* accessible = item ? QAccessible::queryAccessibleInterface(item) : nullptr;
    return accessible ? accessible->text(QAccessible::Name) : QStringLiteral("(not accessible)");
}

/// Keeps `image` as screenshots/<name>.png in the build tree.
inline void save(const QImage& image, const QString& name)
{
    const QString dir = qEnvironmentVariable("BRIMWELL_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots");
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

/// The window's content as RGB32, also saved as screenshots/<name>.png.
inline QImage shoot(QQuickWindow& window, const QString& name)
{
    const QImage image = window.grabWindow().convertToFormat(QImage::Format_RGB32);
    save(image, name);
    return image;
}

/// What QML reported while loading the view's source.
inline QString errors(const QQuickView& view)
{
    QString text;
    for (const QQmlError& e : view.errors())
        text += e.toString() + QLatin1Char('\n');
    return text;
}

} // namespace ViewProbe
