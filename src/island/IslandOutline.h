#pragma once

#include "IslandLayout.h"

#include <QRegion>
#include <QSize>

/// The island's outline inside its panel as a pixel region, for the window
/// shape that makes the rest of the panel see-through. It follows the
/// island's drawn shape closely: flared top corners over a notch, a capsule
/// for the closed pill.
namespace IslandOutline {
QRegion region(const IslandLayout& layout, IslandState state, const QSize& panelSize);
}
