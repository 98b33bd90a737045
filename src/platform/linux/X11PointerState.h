#pragma once

#include "PointerState.h"

/// The pointer read from the X server on each call, so it is right while
/// another program holds the pointer for a drag.
class X11PointerState final : public PointerState {
public:
    QPoint location() const override;
    bool isPrimaryButtonPressed() const override;
};
