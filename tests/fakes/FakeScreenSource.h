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
    void setScreens(QList<PlatformScreen> screens)
    {
        m_screens = std::move(screens);
        Q_EMIT screensChanged();
    }
    void wake() { Q_EMIT screensDidWake(); }

private:
    QList<PlatformScreen> m_screens;
};
