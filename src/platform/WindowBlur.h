#pragma once

#include <QRegion>

class QWindow;

/// Asks the desktop to blur what lies behind part of a translucent window.
/// The program installs the platform's one at start; until then, and where
/// the desktop cannot blur, the calls do nothing.
class WindowBlur {
public:
    WindowBlur() = default;
    virtual ~WindowBlur() = default;
    Q_DISABLE_COPY_MOVE(WindowBlur)

    /// Blur behind `region` of `window` (window coordinates,
    /// device-independent pixels); an empty region blurs nothing.
    virtual void setRegion(QWindow* window, const QRegion& region) = 0;
    /// Stops blurring behind the window.
    virtual void clear(QWindow* window) = 0;

    /// The installed blur, or one that does nothing.
    static WindowBlur& current();
    /// Makes `blur` current (not owned; it must outlive its use); null
    /// restores the one that does nothing.
    static void install(WindowBlur* blur);
};
