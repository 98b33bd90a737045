#pragma once

#include "PointerState.h"

/// A pointer the test moves and presses.
class FakePointerState final : public PointerState {
public:
    QPoint position;
    bool primaryPressed = false;

    QPoint location() const override { return position; }
    bool isPrimaryButtonPressed() const override { return primaryPressed; }
};
