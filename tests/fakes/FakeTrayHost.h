#pragma once

#include "TrayHost.h"

/// A tray host that comes and goes on demand.
class FakeTrayHost final : public TrayHost {
public:
    bool isAvailable() const override { return available; }
    void setAvailable(bool value)
    {
        if (value == available)
            return;
        available = value;
        Q_EMIT availableChanged();
    }

    bool available = false;
};
