#pragma once

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
    enum class Style { notch, pill };

    /// Width of each side wing of the closed island beside the notch.
    static qreal compactWingWidth(IslandCompactActivity activity);

    IslandLayout() = default;
    /// The layout for `screen` with side wings `compactWingWidth` wide.
    IslandLayout(const PlatformScreen& screen, qreal compactWingWidth);

    /// "notch" or "pill".
    static QString rawValue(Style style);

    /// The panel of the closed island: the island plus the gap above it.
    QRect closedPanelFrame() const;
    /// The panel of the open island: 48 wider and 24 taller than the island,
    /// room for its shadows.
    QRect openPanelFrame() const;
    /// Where the island lies inside a panel of `panelSize` in `state`:
    /// centred horizontally, `topOffset` below the panel's top.
    QRectF islandRect(IslandState state, const QSize& panelSize) const;

    Style style = Style::pill;
    QRectF screenFrame;
    qreal anchorX = 0;
    qreal topOffset = 0;
    qreal notchWidth = 0;
    qreal statusBandHeight = 0;
    QSizeF compactSize;
    QSizeF expandedSize;
    qreal contentTopInset = 0;

    friend bool operator==(const IslandLayout&, const IslandLayout&) = default;
};
