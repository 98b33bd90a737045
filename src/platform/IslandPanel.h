#pragma once

#include "IslandPanelEvents.h"

#include <QRect>
#include <QRegion>
#include <QUrl>
#include <QVariantMap>

class QQuickItem;

/// The island's window: borderless, above everything, never focused, on
/// every desktop, hosting the island's Qt Quick scene. It reports pointer
/// entry and exit, drags over it and drops, and whether it is visible.
class IslandPanel {
public:
    virtual ~IslandPanel() = default;

    /// Loads the root QML component once, with its initial properties.
    virtual void loadRoot(const QUrl& url, const QVariantMap& initialProperties) = 0;
    /// The loaded root item; null before loading or when it failed.
    virtual QQuickItem* rootItem() const = 0;
    /// The frame last set, in global coordinates.
    virtual QRect frame() const = 0;
    /// Moves and resizes the panel and lays out its content at once.
    virtual void setFrame(const QRect& frame) = 0;
    /// Shows the panel above every other window.
    virtual void orderFrontRegardless() = 0;
    /// Hides the panel.
    virtual void orderOut() = 0;
    /// True while the panel is shown and exposed on screen.
    virtual bool isVisibleOnScreen() const = 0;
    /// The island's outline, in panel coordinates: outside it the panel is
    /// see-through and lets the pointer and clicks through to what is below.
    virtual void setIslandShape(const QRegion& shape) = 0;
    /// True where the display server stops following the pointer once it
    /// leaves the panel (XWayland, when the pointer goes onto a Wayland
    /// window): its last known position is stale, so the panel's leave is
    /// final, the position is not asked again, and only a pointer that moves
    /// over the panel opens the island (a panel placed under the stale
    /// position gets an enter without motion).
    virtual bool leaveIsFinal() const { return false; }
    /// The island stays at the top edge over the panels that reserve the top
    /// of the screen (true), or the display server may place it below them.
    /// Where the panel itself places the island (X11), the frame says it all.
    virtual void setOverTopPanels(bool over) { Q_UNUSED(over); }
    /// A drag out of the panel that the display server runs, where the
    /// pointer's buttons cannot be read from outside (Wayland).
    virtual bool isDraggingOut() const { return false; }
    /// Registers (true) or unregisters (false) the panel as a drop target.
    virtual void setAcceptsDrops(bool accepts) = 0;
    virtual bool acceptsDrops() const = 0;

    /// Pointer, drags, drops and exposure, as signals.
    IslandPanelEvents& events() { return m_events; }

private:
    IslandPanelEvents m_events;
};
