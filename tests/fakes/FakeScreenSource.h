#pragma once

#include "ScreenSource.h"

/// Screens set by the test; setScreens() announces a configuration change.
class FakeScreenSource final : public ScreenSource {
public:
    explicit FakeScreenSource(QList<PlatformScreen> screens = {})
        : m_screens(std::move(screens))
    {
    }

    QList<PlatformScreen> screens() const override { return m_screens; }
    /// Gives the screen with the same output a notch as the platform would.
    void setNotchSize(const PlatformScreen& screen, const std::optional<QSizeF>& size) override
    {
        for (PlatformScreen& s : m_screens) {
            if (s.outputName != screen.outputName)
                continue;
            const QSizeF notch = size.value_or(QSizeF());
            const qreal side = (s.frame.width() - notch.width()) / 2;
            s.topInset = notch.height();
            s.auxiliaryTopLeftArea
                = size ? std::optional(QRectF(s.frame.left(), s.frame.top(), side, notch.height())) : std::nullopt;
            s.auxiliaryTopRightArea = size
                ? std::optional(QRectF(s.frame.left() + s.frame.width() - side, s.frame.top(), side, notch.height()))
                : std::nullopt;
        }
        Q_EMIT screensChanged();
    }
    void setScreens(QList<PlatformScreen> screens)
    {
        m_screens = std::move(screens);
        Q_EMIT screensChanged();
    }
    void wake() { Q_EMIT screensDidWake(); }

private:
    QList<PlatformScreen> m_screens;
};
