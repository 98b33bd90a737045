#pragma once

#include <QAccessible>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickView>
#include <QTest>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

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
    return accessible ? accessible->text(QAccessible::Name) : "(not accessible)";
}

/// Keeps `image` as screenshots/<name>.png in the build tree.
inline void save(const QImage& image, const QString& name)
{
    const QString dir = qEnvironmentVariable("BRIMWELL_BINARY_DIR", QDir::tempPath()) + "/screenshots";
    QDir().mkpath(dir);
    image.save(dir + QLatin1Char('/') + name + QStringLiteral(".png"));
}

/// What differs between `image` and the reference tests/reference/<name>.png,
/// or empty when they match or no reference is kept. A pixel differs when a
/// channel is off by more than 24; up to 0.05 % may, for anti-aliasing. With
/// BRIMWELL_UPDATE_REFERENCES=1 a kept reference is written anew instead.
inline QString compareWithReference(const QImage& image, const QString& name)
{
    const QString path = qEnvironmentVariable("BRIMWELL_SOURCE_DIR") + "/tests/reference/" + name + ".png";
    if (!QFile::exists(path))
        return {};
    if (qEnvironmentVariableIntValue("BRIMWELL_UPDATE_REFERENCES") == 1) {
        image.save(path);
        return {};
    }
    const QImage reference = QImage(path).convertToFormat(QImage::Format_RGB32);
    if (reference.size() != image.size())
        return QString::asprintf("%s: %dx%d, the reference is %dx%d", qPrintable(name), image.width(), image.height(),
            reference.width(), reference.height());
    QImage diff(image.size(), QImage::Format_RGB32);
    diff.fill(Qt::black);
    qsizetype differing = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QRgb a = image.pixel(x, y), b = reference.pixel(x, y);
            const int off
                = std::max({ std::abs(qRed(a) - qRed(b)), std::abs(qGreen(a) - qGreen(b)), std::abs(qBlue(a) - qBlue(b)) });
            if (off > 24) {
                ++differing;
                diff.setPixel(x, y, qRgb(255, 0, 255));
            }
        }
    }
    // Drawing is deterministic here; the allowance covers a glyph's edge.
    if (differing * 2000 <= qsizetype(image.width()) * image.height())
        return {};
    save(diff, name + "-diff");
    return QString::asprintf("%s: %lld of %lld pixels differ from the reference (see screenshots/%s-diff.png)", qPrintable(name),
        qlonglong(differing), qlonglong(image.width()) * image.height(), qPrintable(name));
}

/// The window's content as RGB32, saved as screenshots/<name>.png and
/// compared with its reference where one is kept.
inline QImage shoot(QQuickWindow& window, const QString& name)
{
    // Just after a resize a grab can still read the frame of the old size.
    QImage image;
    const bool current = QTest::qWaitFor(
        [&] {
            image = window.grabWindow().convertToFormat(QImage::Format_RGB32);
            return image.size() == window.size() * window.devicePixelRatio();
        },
        2000);
    EXPECT_TRUE(current) << "grabbed at " << image.width() << "x" << image.height() << " from a window of " << window.width()
                         << "x" << window.height();
    save(image, name);
    if (const QString difference = compareWithReference(image, name); !difference.isEmpty())
        ADD_FAILURE() << qPrintable(difference);
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
