#pragma once

#include "DisplayBrightness.h"

/// A built-in display held in memory.
class FakeDisplayBrightness final : public DisplayBrightness {
public:
    std::optional<DisplayID> builtInDisplay() const override { return display; }
    bool canChangeBrightness(DisplayID) const override { return true; }
    int brightness(DisplayID, float& out) const override
    {
        out = level;
        return 0;
    }
    int setBrightness(DisplayID, float v) override
    {
        ++setCalls;
        if (setStatus)
            return setStatus;
        level = v;
        return 0;
    }
    float lowestLevel(DisplayID) const override { return 0; }
    int observeChanges(DisplayID) override
    {
        observing = true;
        return 0;
    }
    void stopObservingChanges(DisplayID) override { observing = false; }

    std::optional<DisplayID> display = 1;
    float level = 0.5f;
    int setCalls = 0;
    int setStatus = 0;
    bool observing = false;
};
