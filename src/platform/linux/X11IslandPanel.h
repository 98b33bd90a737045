#pragma once

#include "IslandPanel.h"

#include <QQuickView>

/// The island's panel on X11: an override-redirect window (outside the
/// window manager, so above every window and panel, on every desktop, never
/// focused), titled "Brimwell Island" with class "brimwell". The island's
/// outline is the window's input shape, so the pointer and clicks pass
/// through the transparent margin to the windows below. Without a
/// compositing manager alpha is not blended, so the outline is also the
/// window's bounding shape; with one, the transparent scene is enough and
/// keeps its soft edges and shadows. XDND drops are offered only while drops
/// are accepted.
///
/// Through XWayland the X server keeps the pointer's last position over X
/// windows once the pointer moves onto a Wayland window, so its leave is
/// final there (leaveIsFinal()).
class X11IslandPanel final : public QQuickView, public IslandPanel {
    Q_OBJECT
public:
    explicit X11IslandPanel(QWindow* parent = nullptr);
    ~X11IslandPanel() override;
    Q_DISABLE_COPY_MOVE(X11IslandPanel)

    void loadRoot(const QUrl& url, const QVariantMap& initialProperties) override;
    QQuickItem* rootItem() const override { return rootObject(); }
    QRect frame() const override { return m_frame; }
    void setFrame(const QRect& frame) override;
    void orderFrontRegardless() override;
    void orderOut() override;
    bool isVisibleOnScreen() const override;
    void setIslandShape(const QRegion& shape) override;
    void setAcceptsDrops(bool accepts) override;
    bool acceptsDrops() const override { return m_acceptsDrops; }
    bool leaveIsFinal() const override { return m_throughXWayland; }

    /// The X server is XWayland: its outputs are named XWAYLAND0, XWAYLAND1, …
    static bool serverIsXWayland();

    /// The drag carries something the island takes: file URLs, URLs, PNG or
    /// TIFF images, or plain text.
    static bool carriesDroppableData(const QMimeData& data);

protected:
    bool event(QEvent* event) override;
    void exposeEvent(QExposeEvent* event) override;

private:
    void setX11Class();
    void updateDndAwareness();
    void reportOcclusionIfChanged();
    bool isCompositing() const;
    void applyShape();
    void applyInputShape();

    QRect m_frame;
    QRegion m_shape;
    bool m_compositing = false;
    bool m_acceptsDrops = false;
    bool m_dragInside = false;
    bool m_wasVisible = false;
    bool m_throughXWayland = false;
    bool m_movedSinceEnter = false;
};
