#pragma once

#include "IslandPosition.h"
#include "IslandTypes.h"
#include "ScreenSource.h"

#include <QRect>
#include <QRectF>
#include <QSizeF>
#include <QString>

/// The island's geometry on one screen: where it is anchored, how big it is
/// closed and open, and where its content starts. Lengths are in Qt's
/// device-independent pixels; positions are global and y-down.
struct IslandLayout {
    using Style = IslandLayoutStyle;

    /// Width of each side wing of the closed island beside the notch.
    static qreal compactWingWidth(IslandCompactActivity activity);

    /// Whether `position` puts the island at the top edge of `screen`
    /// (topEdge) or below its top panel (belowTopPanel); never automatic. A
    /// notch is at the top edge by definition.
    static IslandPosition appliedPosition(IslandPosition position, const PlatformScreen& screen);

    IslandLayout() = default;
    /// The layout for `screen` with side wings `compactWingWidth` wide, at
    /// the place `position` gives on that screen.
    IslandLayout(const PlatformScreen& screen, qreal compactWingWidth, IslandPosition position = IslandPosition::topEdge);

    /// "notch" or "pill".
    static QString rawValue(Style style);

    /// The panel of the closed island: the island plus the gap above it,
    /// `edgeOffset` below the screen's top edge.
    QRect closedPanelFrame() const;
    /// The panel of the open island: 48 wider and 24 taller than the island,
    /// room for its shadows.
    QRect openPanelFrame() const;
    /// Where the island lies inside a panel of `panelSize` in `state`:
    /// centred horizontally, `topOffset` below the panel's top.
    QRectF islandRect(IslandState state, const QSize& panelSize) const;

    Style style = Style::pill;
    QRectF screenFrame;
    /// From the screen's top edge to the panel's top: the top panel's height
    /// below it, else 0.
    qreal edgeOffset = 0;
    qreal anchorX = 0;
    qreal topOffset = 0;
    qreal notchWidth = 0;
    qreal statusBandHeight = 0;
    QSizeF compactSize;
    QSizeF expandedSize;
    qreal contentTopInset = 0;

    friend bool operator==(const IslandLayout&, const IslandLayout&) = default;
};
