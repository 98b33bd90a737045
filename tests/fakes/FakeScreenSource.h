#pragma once

#include "ScreenSource.h"
#include "TestScreens.h"

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
            const PlatformScreen notched = TestScreens::notched(s.outputName, s.frame, size.value_or(QSizeF()));
            s.topInset = notched.topInset;
            s.auxiliaryTopLeftArea = size ? notched.auxiliaryTopLeftArea : std::nullopt;
            s.auxiliaryTopRightArea = size ? notched.auxiliaryTopRightArea : std::nullopt;
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
