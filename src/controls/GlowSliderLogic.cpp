#include "GlowSliderLogic.h"

#include <algorithm>

GlowSliderLogic::GlowSliderLogic(QObject* parent)
    : QObject(parent)
{
    connect(this, &GlowSliderLogic::inputsChanged, this, &GlowSliderLogic::update);
    update();
}

qreal GlowSliderLogic::clampedFraction(qreal value)
{
    // "not above 0" also catches NaN, which compares false with everything.
    if (!(value > 0))
        return 0;
    return std::min<qreal>(value, 1);
}

qreal GlowSliderLogic::dragFraction(qreal x, qreal width)
{
    if (!(width > 0))
        return 0;
    return clampedFraction(x / width);
}

void GlowSliderLogic::update()
{
    Outputs out;
    out.fraction = clampedFraction(m_value);
    const qreal width = std::max<qreal>(0, m_width);
    out.fillWidth = width * out.fraction;
    out.barHeight = m_isDragging ? m_draggingTrackHeight : m_trackHeight;
    out.fillOpacity = m_isEnabled ? 0.9 : 0.35;
    out.innerGlowRadius = 2;
    out.innerGlowOpacity = m_isEnabled ? (m_isDragging ? 0.7 : 0.5) : 0;
    out.outerGlowRadius = m_isDragging ? 12 : 10;
    out.outerGlowOpacity = m_isEnabled ? (m_isDragging ? 0.65 : 0.5) : 0;
    out.knobX = width * out.fraction - m_knobSize * 0.5;
    out.acceptsDrag = m_isEnabled && m_hasDragAction;

    if (out == m_out)
        return;
    m_out = out;
    Q_EMIT outputsChanged();
}
