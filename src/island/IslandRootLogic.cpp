#include "IslandRootLogic.h"

#include <algorithm>
#include <cmath>

namespace {
qreal lerp(qreal closed, qreal open, qreal t)
{
    return closed + (open - closed) * t;
}

qreal clampedToUnit(qreal v)
{
    return std::isnan(v) ? 0 : std::clamp<qreal>(v, 0, 1);
}
} // namespace

IslandRootLogic::IslandRootLogic(QObject* parent)
    : QObject(parent)
{
    connect(this, &IslandRootLogic::inputsChanged, this, &IslandRootLogic::update);
    update();
}

IslandRootLogic::Radii IslandRootLogic::notchRadii(bool expanded)
{
    return expanded ? Radii { 14, 26 } : Radii { 6, 10 };
}

qreal IslandRootLogic::pillCornerRadius(bool expanded, qreal compactHeight)
{
    return expanded ? 24 : compactHeight / 2;
}

qreal IslandRootLogic::waveGlow(IslandBackgroundStyle backgroundStyle, qreal glassGlow)
{
    return backgroundStyle == IslandBackgroundStyle::glass ? clampedToUnit(glassGlow) : 0;
}

qreal IslandRootLogic::outerGlowOpacity(bool expanded, IslandBackgroundStyle backgroundStyle, qreal glassGlow)
{
    return expanded ? waveGlow(backgroundStyle, glassGlow) * 0.3 : 0;
}

qreal IslandRootLogic::dropShadowOpacity(bool expanded)
{
    return expanded ? 0.25 : 0;
}

qreal IslandRootLogic::contentHorizontalPadding(IslandLayoutStyle layoutStyle)
{
    return layoutStyle == IslandLayoutStyle::notch ? 32 : 18;
}

void IslandRootLogic::update()
{
    // Only a width change on the same screen springs; the flag is published
    // before the width so a Behavior reads the right choice.
    if (m_compactSize != m_lastCompactSize) {
        const bool animated
            = !m_isExpanded && m_lastCompactSize.height() > 0 && m_compactSize.height() == m_lastCompactSize.height();
        m_lastCompactSize = m_compactSize;
        if (animated != m_compactResizeAnimated) {
            m_compactResizeAnimated = animated;
            Q_EMIT compactResizeAnimatedChanged();
        }
    }
    if (m_compactWidth != m_compactSize.width()) {
        m_compactWidth = m_compactSize.width();
        Q_EMIT compactWidthChanged();
    }

    // Closed and open values of the island's shape are the spring's ends;
    // the open/close spring moves every one of them together.
    const qreal p = std::isnan(m_openness) ? 0 : m_openness;
    const qreal shown = clampedToUnit(p);
    const Radii closedRadii = notchRadii(false);
    const Radii openRadii = notchRadii(true);
    const qreal waveGlowValue = waveGlow(m_backgroundStyle, m_glassGlow);

    Outputs out;
    out.islandWidth = std::max<qreal>(0, lerp(m_shownCompactWidth, m_expandedSize.width(), p));
    out.islandHeight = std::max<qreal>(0, lerp(m_compactSize.height(), m_expandedSize.height(), p));
    out.radii = { std::max<qreal>(0, lerp(closedRadii.top, openRadii.top, p)),
        std::max<qreal>(0, lerp(closedRadii.bottom, openRadii.bottom, p)) };
    out.cornerRadius = std::max<qreal>(
        0, lerp(pillCornerRadius(false, m_compactSize.height()), pillCornerRadius(true, m_compactSize.height()), p));
    out.expansion = shown;
    out.waveGlow = waveGlowValue;
    // The target opacities belong to the open state; on the way there they
    // grow with the spring and fall back with it on closing.
    out.outerGlowOpacity = outerGlowOpacity(true, m_backgroundStyle, m_glassGlow) * shown;
    out.dropShadowOpacity = dropShadowOpacity(true) * shown;
    out.contentScale = lerp(0.92, 1.0, p);
    out.contentOpacity = shown;
    out.contentHorizontalPadding = contentHorizontalPadding(m_layoutStyle);

    if (out == m_out)
        return;
    m_out = out;
    Q_EMIT outputsChanged();
}
