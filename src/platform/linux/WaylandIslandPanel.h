#pragma once

#include "IslandPanel.h"
#include "ItemDrag.h"

#include <QEvent>
#include <QImage>
#include <QObject>
#include <QPointF>

#include <memory>
#include <optional>

class QQmlEngine;
class QQuickRenderControl;
class QQuickWindow;
class QSocketNotifier;
struct WaylandIslandClient;

/// The island's panel as a native Wayland client: a layer-shell surface in
/// the overlay layer, anchored to the top of the output the frame lies on,
/// never taking the keyboard, on a Wayland connection of its own. The
/// scene is rendered by Qt Quick's software renderer into shared-memory
/// buffers at the output's pixel size (a fractional scale through the
/// viewporter, never resampled), a frame only when the scene changed and
/// the compositor asked for one, with only the changed rectangle damaged.
/// The compositor reports the pointer entering and leaving the surface, so
/// its leave is final. Drops come through the seat's data device, and drags
/// out of the scene start there too (installed as the ItemDrag while the
/// panel lives).
class WaylandIslandPanel final : public QObject, public IslandPanel, public ItemDrag {
    Q_OBJECT
public:
    /// Connects to the compositor of $WAYLAND_DISPLAY. A compositor that
    /// goes away ends the program with status 1.
    explicit WaylandIslandPanel(QObject* parent = nullptr);
    ~WaylandIslandPanel() override;
    Q_DISABLE_COPY_MOVE(WaylandIslandPanel)

    /// Whether the compositor answers and offers the layer shell: a round
    /// trip on a connection of its own, for the start-up's choice of path.
    static bool compositorOffersLayerShell();

    void loadRoot(const QUrl& url, const QVariantMap& initialProperties) override;
    QQuickItem* rootItem() const override { return m_root; }
    QRect frame() const override { return m_frame; }
    void setFrame(const QRect& frame) override;
    void orderFrontRegardless() override;
    void orderOut() override;
    bool isVisibleOnScreen() const override;
    void setIslandShape(const QRegion& shape) override;
    bool leaveIsFinal() const override { return true; }
    void setAcceptsDrops(bool accepts) override { m_acceptsDrops = accepts; }
    bool acceptsDrops() const override { return m_acceptsDrops; }
    void setOverTopPanels(bool over) override;
    bool isDraggingOut() const override;

    /// A drag out of an item of the island's scene, from the press that
    /// holds the pointer; items of other windows go through QDrag.
    void start(QQuickItem* source, QMimeData* data, const QImage& preview) override;

    /// The buffer's scale against surface units, from the output's preferred
    /// fractional scale, else its mode against its logical size, else its
    /// integer scale.
    qreal scale() const;

    // Called from the protocol listeners.
    void handleConfigure(uint32_t serial);
    void handleClosed();
    void handleFrameDone();
    void handleOutputsChanged();
    void handlePreferredScale(qreal scale);
    void handlePointerEnter(uint32_t serial, QPointF position);
    void handlePointerLeave();
    void handlePointerMotion(QPointF position);
    void handlePointerButton(uint32_t serial, uint32_t button, bool pressed);
    void handlePointerAxis(bool vertical, qreal value);
    void handleDragEnter(bool droppable);
    void handleDragLeave();
    void handleDrop(const QMimeData& data);

private:
    void dispatch();
    void flush();
    void connectionLost(const char* what);
    void createSurface();
    void destroySurface();
    void applyPlacement();
    void applyInputRegion();
    void scheduleFrame();
    void renderFrame();
    void reportVisibility();
    void sendMouse(QEvent::Type type, Qt::MouseButton button);

    std::unique_ptr<WaylandIslandClient> m_client;
    ItemDrag* m_qtDrag = nullptr;
    uint32_t m_pressSerial = 0;
    QSocketNotifier* m_notifier = nullptr;
    QQmlEngine* m_engine = nullptr;
    QQuickRenderControl* m_renderControl = nullptr;
    QQuickWindow* m_window = nullptr;
    QQuickItem* m_root = nullptr;
    QImage m_scene;
    QRect m_frame;
    QRegion m_shape;
    QPointF m_pointer;
    Qt::MouseButtons m_buttons;
    std::optional<qreal> m_preferredScale;
    bool m_overTopPanels = false;
    bool m_acceptsDrops = false;
    bool m_shown = false;
    bool m_configured = false;
    bool m_frameWanted = false;
    bool m_frameScheduled = false;
    bool m_wasVisible = false;
    bool m_movedSinceEnter = false;
    bool m_dragInside = false;
    /// Placement or input region set since the last commit.
    bool m_stateChanged = false;
};
