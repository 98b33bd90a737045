#pragma once

#include <QPoint>

/// The pointer as the display server sees it, also while another program
/// holds it for a drag.
class PointerState {
public:
    virtual ~PointerState() = default;
    /// Global position in Qt's coordinates.
    virtual QPoint location() const = 0;
    /// True while the primary (left) button is held down.
    virtual bool isPrimaryButtonPressed() const = 0;
};
