#include "StatusBandLogic.h"

#include <algorithm>
#include <cmath>

namespace {
bool isNotch(IslandLayoutStyle style)
{
    return style == IslandLayoutStyle::notch;
}
} // namespace

StatusBandLogic::StatusBandLogic(QObject* parent)
    : QObject(parent)
{
    connect(this, &StatusBandLogic::inputsChanged, this, &StatusBandLogic::update);
    update();
}

qreal StatusBandLogic::horizontalPadding(bool expanded, IslandLayoutStyle layoutStyle)
{
    if (expanded)
        return isNotch(layoutStyle) ? 32 : 18;
    return isNotch(layoutStyle) ? 18 : 10;
}

bool StatusBandLogic::isHudShown(bool hasHudState, bool expanded, IslandCompactActivity activity)
{
    return hasHudState && (expanded || activity == IslandCompactActivity::hud);
}

BandItem StatusBandLogic::leadingItem(bool expanded, IslandCompactActivity activity, bool hudShown, bool showsClock)
{
    if (hudShown)
        return BandItem::hudIcon;
    if (!expanded && activity == IslandCompactActivity::media)
        return BandItem::artwork;
    if (!expanded && activity == IslandCompactActivity::liveActivity)
        return BandItem::activitySymbol;
    if (!expanded && activity == IslandCompactActivity::status && showsClock)
        return BandItem::clock;
    if (expanded && showsClock)
        return BandItem::clock;
    return BandItem::none;
}

BandItem StatusBandLogic::trailingItem(
    bool expanded, IslandCompactActivity activity, bool hudShown, bool showsBattery, bool hasBatteryStatus)
{
    if (hudShown)
        return BandItem::hudLevel;
    if (!expanded && activity == IslandCompactActivity::media)
        return BandItem::audioBars;
    if (!expanded && activity == IslandCompactActivity::liveActivity)
        return BandItem::activityValue;
    const bool batteryWanted
        = (!expanded && activity == IslandCompactActivity::status && showsBattery) || (expanded && showsBattery);
    if (batteryWanted && hasBatteryStatus)
        return BandItem::battery;
    return BandItem::none;
}

qreal StatusBandLogic::hudBarWidth(bool expanded, IslandLayoutStyle layoutStyle, qreal expandedWidth, qreal notchWidth)
{
    if (!expanded)
        return isNotch(layoutStyle) ? 58 : 80;
    if (!isNotch(layoutStyle))
        return 96;
    // What is left beside the notch after the band's padding and a 10 pt
    // gap; never negative on an island barely wider than its notch.
    return std::clamp<qreal>((expandedWidth - notchWidth) / 2 - 32 - 10, 0, 96);
}

void StatusBandLogic::update()
{
    const qreal p = std::isnan(m_openness) ? 0 : std::clamp<qreal>(m_openness, 0, 1);
    const auto between = [p](qreal closed, qreal open) { return closed + (open - closed) * p; };

    Outputs out;
    out.horizontalPadding = between(horizontalPadding(false, m_layoutStyle), horizontalPadding(true, m_layoutStyle));
    out.spacerMinimumWidth = isNotch(m_layoutStyle) ? m_notchWidth : 6;
    out.isHudShown = isHudShown(m_hasHudState, m_isExpanded, m_activity);
    out.leadingItem = leadingItem(m_isExpanded, m_activity, out.isHudShown, m_showsClock);
    out.trailingItem = trailingItem(m_isExpanded, m_activity, out.isHudShown, m_showsBattery, m_hasBatteryStatus);
    out.hudBarWidth = between(hudBarWidth(false, m_layoutStyle, m_expandedWidth, m_notchWidth),
        hudBarWidth(true, m_layoutStyle, m_expandedWidth, m_notchWidth));
    out.hudTrackHeight = m_isExpanded ? 5 : 4;
    out.artworkSize = std::max<qreal>(0, std::min<qreal>(m_statusBandHeight - 8, 20));

    if (out == m_out)
        return;
    m_out = out;
    Q_EMIT outputsChanged();
}
