#pragma once

#include <QRegion>

class QWindow;

/// Asks the desktop to blur what lies behind part of a translucent window,
/// through KWin's _KDE_NET_WM_BLUR_BEHIND_REGION window property on X11.
/// Window managers that do not know the property ignore it; on other
/// platforms these calls do nothing.
class KWinBlurBehind final {
public:
    KWinBlurBehind() = delete;

    /// True on X11, where the property can be set.
    static bool isAvailable();
    /// Blur behind `region` (window coordinates, device-independent
    /// pixels). Needs the window's native handle; does nothing without it.
    static void setRegion(QWindow* window, const QRegion& region);
    /// Stops blurring behind the window.
    static void clear(QWindow* window);
};
