#pragma once

#include "WindowBlur.h"

#include <QHash>
#include <QWindow>

/// Records the region each window last asked to have blurred behind it.
class FakeWindowBlur final : public WindowBlur {
public:
    QHash<QWindow*, QRegion> regions;

    void setRegion(QWindow* window, const QRegion& region) override { regions[window] = region; }
    void clear(QWindow* window) override { regions.remove(window); }
};
