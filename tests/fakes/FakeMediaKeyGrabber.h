#pragma once

#include "MediaKeyGrabber.h"

/// Media keys that another program holds while `heldElsewhere` is true.
class FakeMediaKeyGrabber final : public MediaKeyGrabber {
public:
    bool canGrab() const override { return !waylandLike; }
    bool isTrusted() override { return m_grabbed || !heldElsewhere; }
    bool grab() override
    {
        ++grabCalls;
        m_grabbed = m_grabbed || !heldElsewhere;
        return m_grabbed;
    }
    void release() override { m_grabbed = false; }
    bool isGrabbed() const override { return m_grabbed; }
    /// A key event as the platform would deliver it; true when swallowed.
    bool press(const MediaKeyPress& press) { return m_grabbed && handle(press); }

    bool heldElsewhere = false;
    /// No program may take keys.
    bool waylandLike = false;
    int grabCalls = 0;

private:
    bool m_grabbed = false;
};
