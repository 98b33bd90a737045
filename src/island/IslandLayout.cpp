#include "IslandLayout.h"

#include "ScreenService.h"

#include <algorithm>
#include <cmath>

namespace {

// To the nearest whole pixel, halves away from zero.
int whole(qreal v)
{
    return int(std::round(v));
}

} // namespace

qreal IslandLayout::compactWingWidth(IslandCompactActivity activity)
{
    switch (activity) {
    case IslandCompactActivity::none:
        return 0;
    case IslandCompactActivity::status:
        return 72;
    case IslandCompactActivity::media:
        return 44;
    case IslandCompactActivity::liveActivity:
        // Room for "1:05:00" beside the notch.
        return 56;
    case IslandCompactActivity::hud:
        return 80;
    }
    return 0;
}

IslandPosition IslandLayout::appliedPosition(IslandPosition position, const PlatformScreen& screen)
{
    if (ScreenService::notchFrame(screen))
        return IslandPosition::topEdge;
    switch (position) {
    case IslandPosition::topEdge:
    case IslandPosition::belowTopPanel:
        return position;
    case IslandPosition::automatic:
        break;
    }
    return screen.topPanelHeight > 0 ? IslandPosition::belowTopPanel : IslandPosition::topEdge;
}

// Qt's y grows downwards, so a screen's top edge is frame.top() and the band
// the desktop reserves at the top is visibleFrame.top() - frame.top().
IslandLayout::IslandLayout(const PlatformScreen& screen, qreal wing, IslandPosition position)
    : screenFrame(screen.frame)
{
    if (appliedPosition(position, screen) == IslandPosition::belowTopPanel)
        edgeOffset = std::max(screen.topPanelHeight, qreal(0));
    const qreal baseWidth = std::min(screenFrame.width() - 32, qreal(520));
    if (const std::optional<QRectF> notch = ScreenService::notchFrame(screen)) {
        style = Style::notch;
        anchorX = notch->center().x();
        topOffset = 0;
        notchWidth = notch->width();
        statusBandHeight = notch->height();
        compactSize = QSizeF(2 * wing + notch->width() + 12, notch->height());
        expandedSize = QSizeF(std::max(baseWidth, compactSize.width()), notch->height() + 185);
        contentTopInset = notch->height();
    } else {
        qreal topPanel = screen.visibleFrame.top() - screen.frame.top();
        if (!(topPanel > 0))
            topPanel = screen.statusBarThickness;
        const qreal band = std::max(topPanel - 4, qreal(20));
        style = Style::pill;
        anchorX = screenFrame.center().x();
        topOffset = 2;
        notchWidth = 0;
        statusBandHeight = band;
        compactSize = QSizeF(150, band);
        expandedSize = QSizeF(std::max(baseWidth, qreal(150)), band + 6 + 185);
        contentTopInset = band + 6;
    }
}

QString IslandLayout::rawValue(Style style)
{
    return style == Style::notch ? QStringLiteral("notch") : QStringLiteral("pill");
}

QRect IslandLayout::closedPanelFrame() const
{
    const qreal width = compactSize.width();
    const qreal height = compactSize.height() + topOffset;
    return QRect(whole(anchorX - width / 2), whole(screenFrame.top() + edgeOffset), whole(width), whole(height));
}

QRect IslandLayout::openPanelFrame() const
{
    const qreal width = expandedSize.width() + 48;
    const qreal height = topOffset + expandedSize.height() + 24;
    return QRect(whole(anchorX - width / 2), whole(screenFrame.top() + edgeOffset), whole(width), whole(height));
}

QRectF IslandLayout::islandRect(IslandState state, const QSize& panelSize) const
{
    const QSizeF size = state == IslandState::expanded ? expandedSize : compactSize;
    return QRectF(QPointF((panelSize.width() - size.width()) / 2, topOffset), size);
}
