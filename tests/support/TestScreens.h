#pragma once

#include "ScreenSource.h"

/// Screens for the island's tests, described as a platform would.
namespace TestScreens {

/// A screen without a notch whose desktop reserves `topPanel` at the top.
inline PlatformScreen plain(const QString& name, const QRect& frame, int topPanel = 0)
{
    PlatformScreen s;
    s.outputName = name;
    s.localizedName = name;
    s.displayUUID = QStringLiteral("UUID-") + name;
    s.frame = frame;
    s.visibleFrame = frame.adjusted(0, topPanel, 0, 0);
    return s;
}

/// A screen whose safe-area inset and auxiliary areas leave a notch of
/// `notch` at the top centre.
inline PlatformScreen notched(const QString& name, const QRect& frame, const QSizeF& notch)
{
    PlatformScreen s = plain(name, frame, int(notch.height()));
    const qreal side = (frame.width() - notch.width()) / 2;
    s.topInset = notch.height();
    s.auxiliaryTopLeftArea = QRectF(frame.left(), frame.top(), side, notch.height());
    s.auxiliaryTopRightArea = QRectF(frame.left() + frame.width() - side, frame.top(), side, notch.height());
    return s;
}

} // namespace TestScreens

#include <QRect>
#include <QRectF>
#include <QSizeF>

#include <ostream>

// Readable test failures for Qt's geometry types.
inline void PrintTo(const QRect& r, std::ostream* os)
{
    *os << "QRect(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}
inline void PrintTo(const QRectF& r, std::ostream* os)
{
    *os << "QRectF(" << r.x() << ", " << r.y() << ", " << r.width() << ", " << r.height() << ")";
}
inline void PrintTo(const QSizeF& s, std::ostream* os)
{
    *os << "QSizeF(" << s.width() << ", " << s.height() << ")";
}
