#pragma once

#include "IslandBackgroundStyle.h"
#include "IslandTypes.h"

#include <QObject>
#include <QSizeF>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// What the root view draws for the island at a point of its open/close
/// motion: size, outline radii, glows, shadows and the open content's
/// transition. `openness` is 0 closed and 1 open and is driven by the
/// opening or closing spring (it overshoots past 1 while opening), so every
/// value here follows the same spring, as the island's frame does.
class IslandRootLogic : public QObject {
    Q_OBJECT
    QML_ELEMENT

    Q_PROPERTY(IslandLayoutStyles::IslandLayoutStyle layoutStyle MEMBER m_layoutStyle NOTIFY inputsChanged FINAL)
    /// The island is open (the spring may still be moving).
    Q_PROPERTY(bool isExpanded MEMBER m_isExpanded NOTIFY inputsChanged FINAL)
    /// Position of the open/close spring: 0 closed, 1 open.
    Q_PROPERTY(qreal openness MEMBER m_openness NOTIFY inputsChanged FINAL)
    /// The closed island's size from the layout.
    Q_PROPERTY(QSizeF compactSize MEMBER m_compactSize NOTIFY inputsChanged FINAL)
    /// The open island's size from the layout.
    Q_PROPERTY(QSizeF expandedSize MEMBER m_expandedSize NOTIFY inputsChanged FINAL)
    /// The closed width as currently drawn (it springs when the activity changes).
    Q_PROPERTY(qreal shownCompactWidth MEMBER m_shownCompactWidth NOTIFY inputsChanged FINAL)
    /// The open island's background.
    Q_PROPERTY(IslandBackgroundStyles::IslandBackgroundStyle backgroundStyle MEMBER m_backgroundStyle NOTIFY inputsChanged FINAL)
    /// The glow setting, any value; used limited to 0…1.
    Q_PROPERTY(qreal glassGlow MEMBER m_glassGlow NOTIFY inputsChanged FINAL)

    /// Whether the latest change of the closed width should spring: only
    /// while closed and with the band height unchanged (same screen). A new
    /// placement changes without animation.
    Q_PROPERTY(bool compactResizeAnimated READ compactResizeAnimated NOTIFY compactResizeAnimatedChanged FINAL)
    /// The closed width to show; changes after compactResizeAnimated.
    Q_PROPERTY(qreal compactWidth READ compactWidth NOTIFY compactWidthChanged FINAL)

    /// The island's width as drawn now.
    Q_PROPERTY(qreal islandWidth READ islandWidth NOTIFY outputsChanged FINAL)
    /// The island's height as drawn now.
    Q_PROPERTY(qreal islandHeight READ islandHeight NOTIFY outputsChanged FINAL)
    /// Notch outline: radius of the flares into the top edge.
    Q_PROPERTY(qreal topCornerRadius READ topCornerRadius NOTIFY outputsChanged FINAL)
    /// Notch outline: radius of the bottom corners.
    Q_PROPERTY(qreal bottomCornerRadius READ bottomCornerRadius NOTIFY outputsChanged FINAL)
    /// Pill outline radius.
    Q_PROPERTY(qreal cornerRadius READ cornerRadius NOTIFY outputsChanged FINAL)
    /// openness limited to 0…1: how far the glass background has faded in.
    Q_PROPERTY(qreal expansion READ expansion NOTIFY outputsChanged FINAL)
    /// Glow strength handed to the band and the open content.
    Q_PROPERTY(qreal waveGlow READ waveGlow NOTIFY outputsChanged FINAL)
    /// Opacity of the white outer glow as drawn now.
    Q_PROPERTY(qreal outerGlowOpacity READ outerGlowOpacity NOTIFY outputsChanged FINAL)
    /// Opacity of the black drop shadow as drawn now.
    Q_PROPERTY(qreal dropShadowOpacity READ dropShadowOpacity NOTIFY outputsChanged FINAL)
    /// Scale of the open content: 0.92 closed, 1 open.
    Q_PROPERTY(qreal contentScale READ contentScale NOTIFY outputsChanged FINAL)
    /// Opacity of the open content.
    Q_PROPERTY(qreal contentOpacity READ contentOpacity NOTIFY outputsChanged FINAL)
    /// Side padding of the open content.
    Q_PROPERTY(qreal contentHorizontalPadding READ contentHorizontalPadding NOTIFY outputsChanged FINAL)

public:
    struct Radii {
        qreal top = 0;
        qreal bottom = 0;
        bool operator==(const Radii&) const = default;
    };

    explicit IslandRootLogic(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(IslandRootLogic)

    /// Notch outline radii: 6 and 10 closed, 14 and 26 open.
    static Radii notchRadii(bool expanded);
    /// Pill corner radius: a capsule of the closed height, 24 open.
    static qreal pillCornerRadius(bool expanded, qreal compactHeight);
    /// The glass glow limited to 0…1 for the glass style, else 0.
    static qreal waveGlow(IslandBackgroundStyle backgroundStyle, qreal glassGlow);
    /// 0.3 × the wave glow when open; the closed island never glows.
    static qreal outerGlowOpacity(bool expanded, IslandBackgroundStyle backgroundStyle, qreal glassGlow);
    /// 0.25 open, 0 closed.
    static qreal dropShadowOpacity(bool expanded);
    /// 32 beside a notch, 18 in a pill.
    static qreal contentHorizontalPadding(IslandLayoutStyle layoutStyle);

    bool compactResizeAnimated() const { return m_compactResizeAnimated; }
    qreal compactWidth() const { return m_compactWidth; }
    qreal islandWidth() const { return m_out.islandWidth; }
    qreal islandHeight() const { return m_out.islandHeight; }
    qreal topCornerRadius() const { return m_out.radii.top; }
    qreal bottomCornerRadius() const { return m_out.radii.bottom; }
    qreal cornerRadius() const { return m_out.cornerRadius; }
    qreal expansion() const { return m_out.expansion; }
    qreal waveGlow() const { return m_out.waveGlow; }
    qreal outerGlowOpacity() const { return m_out.outerGlowOpacity; }
    qreal dropShadowOpacity() const { return m_out.dropShadowOpacity; }
    qreal contentScale() const { return m_out.contentScale; }
    qreal contentOpacity() const { return m_out.contentOpacity; }
    qreal contentHorizontalPadding() const { return m_out.contentHorizontalPadding; }

Q_SIGNALS:
    void inputsChanged();
    void compactResizeAnimatedChanged();
    void compactWidthChanged();
    void outputsChanged();

private:
    struct Outputs {
        qreal islandWidth = 0;
        qreal islandHeight = 0;
        Radii radii;
        qreal cornerRadius = 0;
        qreal expansion = 0;
        qreal waveGlow = 0;
        qreal outerGlowOpacity = 0;
        qreal dropShadowOpacity = 0;
        qreal contentScale = 0.92;
        qreal contentOpacity = 0;
        qreal contentHorizontalPadding = 0;
        bool operator==(const Outputs&) const = default;
    };

    void update();

    IslandLayoutStyle m_layoutStyle = IslandLayoutStyle::notch;
    bool m_isExpanded = false;
    qreal m_openness = 0;
    QSizeF m_compactSize { 0, 0 };
    QSizeF m_expandedSize { 0, 0 };
    qreal m_shownCompactWidth = 0;
    IslandBackgroundStyle m_backgroundStyle = IslandBackgroundStyle::black;
    qreal m_glassGlow = 0;

    QSizeF m_lastCompactSize { 0, 0 };
    bool m_compactResizeAnimated = false;
    qreal m_compactWidth = 0;
    Outputs m_out;
};
