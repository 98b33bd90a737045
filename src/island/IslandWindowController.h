#pragma once

#include "DelayedTask.h"
#include "IslandFeatures.h"
#include "IslandLayout.h"
#include "IslandPanel.h"
#include "IslandTypes.h"

#include <QObject>
#include <QPointer>
#include <QUrl>

#include <memory>
#include <optional>

class IslandActionsObject;
class IslandOutlineReporter;
class IslandViewModel;
class PointerState;
class QMimeData;
class ScreenService;
class SettingsStore;
struct PlatformScreen;

/// Owns the island's panel and decides when the island is closed or open.
/// Follows the settings (feature services, tabs, calendar style, drops),
/// re-places the island when the screens or the preferred display change,
/// resizes the closed island when its activity changes, opens it when the
/// pointer rests on it or a drag enters, and closes it when the pointer
/// leaves. Lives for the whole process.
class IslandWindowController final : public QObject {
    Q_OBJECT
public:
    /// Builds the view model and loads the island's scene into `panel`.
    IslandWindowController(SettingsStore& settings, ScreenService& screenService, IslandFeatures features, IslandActions actions,
        std::unique_ptr<IslandPanel> panel, PointerState& pointer, Scheduler& scheduler = Scheduler::system(),
        QObject* parent = nullptr);
    ~IslandWindowController() override;
    Q_DISABLE_COPY_MOVE(IslandWindowController)

    /// Makes the subscriptions; the first placement follows on the next turn.
    void start();

    /// The root QML component of the island.
    static QUrl rootViewUrl();

    IslandViewModel& viewModel() const { return *m_viewModel; }
    IslandPanel& panel() const { return *m_panel; }
    /// A shelf item is being dragged out of the island.
    bool isExternalDragActive() const { return m_isExternalDragActive; }

private:
    void handleHover(bool inside);
    void handlePointerMoved();
    void openAfterHoverDelay();
    void expand();
    void collapse();
    void collapseImmediately();
    void watchPointerUntilExit();
    void handleDropTarget(bool targeted);
    bool handleDrop(const QMimeData& data);
    void handleExternalDragStart();
    void applyCompactPresentation(const IslandStatusContent& content, IslandCompactActivity activity);
    void place(const std::optional<PlatformScreen>& screen);
    void panelOcclusionDidChange();

    std::optional<PlatformScreen> preferredScreen() const;
    void updateAvailableTabs();
    void compactInputsDidChange();
    void setPanelFrame(const QRect& frame);
    void updateShape();
    bool isExpanded() const;
    bool pointerInsideIsland() const;

    struct CompactInputs {
        IslandStatusContent content;
        bool mediaActive = false;
        bool hudVisible = false;
        bool activityRunning = false;
        friend bool operator==(const CompactInputs&, const CompactInputs&) = default;
    };

    SettingsStore& m_settings;
    ScreenService& m_screenService;
    IslandFeatures m_features;
    IslandViewModel* m_viewModel;
    std::unique_ptr<IslandPanel> m_panel;
    PointerState& m_pointer;
    IslandActionsObject* m_actionsObject;
    // The root view's, while the scene reports its drawn outline.
    QPointer<IslandOutlineReporter> m_outlineReporter;
    DelayedTask m_hoverTask;
    DelayedTask m_resizeTask;
    DelayedTask m_pointerWatchTask;
    bool m_isExternalDragActive = false;
    bool m_started = false;
    // The outline last given to the panel, in panel coordinates.
    QRegion m_shape;
    // The panel's enter and leave, and drags over it: where leaves are final,
    // the only knowledge of the pointer.
    bool m_pointerOverPanel = false;

    // What the closed island's activity derives from, besides the settings.
    // Each stays false while its feature is not part of the program.
    bool m_hasBattery = false;
    bool m_nowPlayingActive = false;
    bool m_hudVisible = false;
    bool m_activityRunning = false;
    std::optional<CompactInputs> m_lastCompactInputs;
    std::optional<QString> m_lastPreferredDisplayID;
};
