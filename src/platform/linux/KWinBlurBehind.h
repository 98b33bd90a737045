#pragma once

#include "WindowBlur.h"

/// Asks the desktop to blur what lies behind part of a translucent window,
/// through KWin's _KDE_NET_WM_BLUR_BEHIND_REGION window property on X11.
/// Window managers that do not know the property ignore it; on other
/// platforms these calls do nothing.
class KWinBlurBehind final : public WindowBlur {
public:
    KWinBlurBehind() = default;

    /// True on X11, where the property can be set.
    static bool isAvailable();
    /// Blur behind `region` (window coordinates, device-independent
    /// pixels). Needs the window's native handle; does nothing without it.
    void setRegion(QWindow* window, const QRegion& region) override;
    /// Stops blurring behind the window.
    void clear(QWindow* window) override;
};
