#pragma once

#include <QObject>
#include <QtQml/qqmlregistration.h>

/// The glowing level bar's drawing and drag rules, for `GlowSlider`.
class GlowSliderLogic : public QObject {
    Q_OBJECT
    QML_ELEMENT

    /// The level to show; drawn limited to 0…1.
    Q_PROPERTY(qreal value MEMBER m_value NOTIFY inputsChanged FINAL)
    /// Draws brighter and accepts drags.
    Q_PROPERTY(bool isEnabled MEMBER m_isEnabled NOTIFY inputsChanged FINAL)
    /// Whether anybody listens to drags.
    Q_PROPERTY(bool hasDragAction MEMBER m_hasDragAction NOTIFY inputsChanged FINAL)
    /// A drag is under way.
    Q_PROPERTY(bool isDragging MEMBER m_isDragging NOTIFY inputsChanged FINAL)
    /// The bar's width, the whole width offered.
    Q_PROPERTY(qreal width MEMBER m_width NOTIFY inputsChanged FINAL)
    /// Bar height at rest.
    Q_PROPERTY(qreal trackHeight MEMBER m_trackHeight NOTIFY inputsChanged FINAL)
    /// Bar height while dragged.
    Q_PROPERTY(qreal draggingTrackHeight MEMBER m_draggingTrackHeight NOTIFY inputsChanged FINAL)
    /// Diameter of the knob shown while dragged.
    Q_PROPERTY(qreal knobSize MEMBER m_knobSize NOTIFY inputsChanged FINAL)

    /// The value as drawn, 0…1.
    Q_PROPERTY(qreal fraction READ fraction NOTIFY outputsChanged FINAL)
    /// Width of the bright fill.
    Q_PROPERTY(qreal fillWidth READ fillWidth NOTIFY outputsChanged FINAL)
    /// The bar's height now (thicker while dragged).
    Q_PROPERTY(qreal barHeight READ barHeight NOTIFY outputsChanged FINAL)
    /// 0.9 enabled, 0.35 disabled.
    Q_PROPERTY(qreal fillOpacity READ fillOpacity NOTIFY outputsChanged FINAL)
    /// The tight glow around the fill.
    Q_PROPERTY(qreal innerGlowRadius READ innerGlowRadius NOTIFY outputsChanged FINAL)
    Q_PROPERTY(qreal innerGlowOpacity READ innerGlowOpacity NOTIFY outputsChanged FINAL)
    /// The wide glow around the fill.
    Q_PROPERTY(qreal outerGlowRadius READ outerGlowRadius NOTIFY outputsChanged FINAL)
    Q_PROPERTY(qreal outerGlowOpacity READ outerGlowOpacity NOTIFY outputsChanged FINAL)
    /// Left edge of the knob shown while dragging.
    Q_PROPERTY(qreal knobX READ knobX NOTIFY outputsChanged FINAL)
    /// Drags are taken only when enabled and somebody listens.
    Q_PROPERTY(bool acceptsDrag READ acceptsDrag NOTIFY outputsChanged FINAL)

public:
    explicit GlowSliderLogic(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(GlowSliderLogic)

    /// The value limited to 0…1; anything not above 0 (NaN too) is 0.
    static qreal clampedFraction(qreal value);
    /// The fraction under a pointer at `x` of a bar `width` wide; 0 without width.
    static qreal dragFraction(qreal x, qreal width);

    /// The fraction under a pointer at `x` of this bar.
    Q_INVOKABLE qreal fractionAt(qreal x) const { return dragFraction(x, m_width); }

    qreal fraction() const { return m_out.fraction; }
    qreal fillWidth() const { return m_out.fillWidth; }
    qreal barHeight() const { return m_out.barHeight; }
    qreal fillOpacity() const { return m_out.fillOpacity; }
    qreal innerGlowRadius() const { return m_out.innerGlowRadius; }
    qreal innerGlowOpacity() const { return m_out.innerGlowOpacity; }
    qreal outerGlowRadius() const { return m_out.outerGlowRadius; }
    qreal outerGlowOpacity() const { return m_out.outerGlowOpacity; }
    qreal knobX() const { return m_out.knobX; }
    bool acceptsDrag() const { return m_out.acceptsDrag; }

Q_SIGNALS:
    void inputsChanged();
    void outputsChanged();

private:
    struct Outputs {
        qreal fraction = 0;
        qreal fillWidth = 0;
        qreal barHeight = 0;
        qreal fillOpacity = 0;
        qreal innerGlowRadius = 0;
        qreal innerGlowOpacity = 0;
        qreal outerGlowRadius = 0;
        qreal outerGlowOpacity = 0;
        qreal knobX = 0;
        bool acceptsDrag = false;
        bool operator==(const Outputs&) const = default;
    };

    void update();

    qreal m_value = 0;
    bool m_isEnabled = true;
    bool m_hasDragAction = false;
    bool m_isDragging = false;
    qreal m_width = 0;
    qreal m_trackHeight = 4;
    qreal m_draggingTrackHeight = 8;
    qreal m_knobSize = 12;
    Outputs m_out;
};
