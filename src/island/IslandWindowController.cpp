#include "IslandWindowController.h"

#include "ActivityIconProvider.h"
#include "ActivityService.h"
#include "BatteryService.h"
#include "CalendarService.h"
#include "ClipboardService.h"
#include "HUDController.h"
#include "IslandActionsObject.h"
#include "IslandFeaturesObject.h"
#include "IslandLog.h"
#include "IslandOutline.h"
#include "IslandOutlineReporter.h"
#include "IslandRules.h"
#include "IslandViewModel.h"
#include "IslandViews.h"
#include "NowPlayingImageProvider.h"
#include "NowPlayingService.h"
#include "Observe.h"
#include "PointerState.h"
#include "ScreenService.h"
#include "SettingsStore.h"
#include "ShelfService.h"

#include <QMimeData>
#include <QQmlEngine>
#include <QQuickItem>

#include <cmath>

using namespace std::chrono_literals;

namespace {

constexpr auto closeDelay = 120ms;
constexpr auto collapseShrinkDelay = 450ms;
constexpr auto compactShrinkDelay = 550ms;
constexpr auto pointerWatchInterval = 300ms;

} // namespace

IslandWindowController::IslandWindowController(SettingsStore& settings, ScreenService& screenService, IslandFeatures features,
    IslandActions actions, std::unique_ptr<IslandPanel> panel, PointerState& pointer, Scheduler& scheduler, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_screenService(screenService)
    , m_features(features)
    , m_viewModel(new IslandViewModel(this))
    , m_panel(std::move(panel))
    , m_pointer(pointer)
    , m_actionsObject(new IslandActionsObject(std::move(actions), this))
    , m_hoverTask(scheduler)
    , m_resizeTask(scheduler)
    , m_pointerWatchTask(scheduler)
{
    IslandViews::initialize();
    m_panel->loadRoot(rootViewUrl(),
        {
            { QStringLiteral("viewModel"), QVariant::fromValue<QObject*>(m_viewModel) },
            { QStringLiteral("settings"), QVariant::fromValue<QObject*>(&m_settings) },
            { QStringLiteral("actions"), QVariant::fromValue<QObject*>(m_actionsObject) },
            { QStringLiteral("features"), QVariant::fromValue<QObject*>(new IslandFeaturesObject(m_features, this)) },
        });
    // Artwork and source icons reach QML through the scene's image provider;
    // nothing asks for them before the service has a track, after start().
    if (QQuickItem* root = m_panel->rootItem(); root && m_features.nowPlaying) {
        if (QQmlEngine* engine = qmlEngine(root))
            engine->addImageProvider(QStringLiteral("nowplaying"), new NowPlayingImageProvider(m_features.nowPlaying));
    }
    if (QQuickItem* root = m_panel->rootItem(); root && m_features.activities) {
        if (QQmlEngine* engine = qmlEngine(root))
            engine->addImageProvider(QStringLiteral("activityicon"), new ActivityIconProvider);
    }
    // The window's shape follows the island as drawn, springs included.
    if (QQuickItem* root = m_panel->rootItem()) {
        m_outlineReporter = root->findChild<IslandOutlineReporter*>(QString(), Qt::FindDirectChildrenOnly);
        if (m_outlineReporter)
            connect(m_outlineReporter, &IslandOutlineReporter::outlineChanged, this, &IslandWindowController::updateShape);
    }

    IslandPanelEvents* events = &m_panel->events();
    connect(events, &IslandPanelEvents::hoverChanged, this, &IslandWindowController::handleHover);
    connect(events, &IslandPanelEvents::pointerMoved, this, &IslandWindowController::handlePointerMoved);
    connect(events, &IslandPanelEvents::dropTargetChanged, this, &IslandWindowController::handleDropTarget);
    connect(events, &IslandPanelEvents::dropped, this,
        [this](const QMimeData& data, bool* accepted) { *accepted = handleDrop(data); });
    connect(m_viewModel, &IslandViewModel::externalDragStarted, this, &IslandWindowController::handleExternalDragStart);

    // The see-through part of the panel follows the island's outline.
    connect(m_viewModel, &IslandViewModel::stateChanged, this, &IslandWindowController::updateShape);
    connect(m_viewModel, &IslandViewModel::layoutChanged, this, &IslandWindowController::updateShape);
}

IslandWindowController::~IslandWindowController()
{
    // The panel outlives this body and may still report while it is torn down.
    m_panel->events().disconnect(this);
}

QUrl IslandWindowController::rootViewUrl()
{
    return IslandViews::rootViewUrl();
}

void IslandWindowController::start()
{
    if (m_started)
        return;
    m_started = true;

    // Feature services start and stop with their switches, in this order, as
    // they join IslandFeatures: battery (showBattery), calendar
    // (showCalendar), clipboard (showClipboard) and Now Playing (showNowPlaying).
    if (BatteryService* battery = m_features.battery) {
        observeDistinct(&m_settings, &SettingsStore::showBattery, &SettingsStore::showBatteryChanged, this,
            [battery](bool on) { on ? battery->start() : battery->stop(); });
    }
    if (CalendarService* calendar = m_features.calendar) {
        observeDistinct(&m_settings, &SettingsStore::showCalendar, &SettingsStore::showCalendarChanged, this,
            [calendar](bool on) { on ? calendar->start() : calendar->stop(); });
    }
    if (ClipboardService* clipboard = m_features.clipboard) {
        observeDistinct(&m_settings, &SettingsStore::showClipboard, &SettingsStore::showClipboardChanged, this,
            [clipboard](bool on) { on ? clipboard->start() : clipboard->stop(); });
    }
    if (NowPlayingService* nowPlaying = m_features.nowPlaying) {
        observeDistinct(&m_settings, &SettingsStore::showNowPlaying, &SettingsStore::showNowPlayingChanged, this,
            [nowPlaying](bool on) { on ? nowPlaying->start() : nowPlaying->stop(); });
    }

    observeDistinct(&m_settings, &SettingsStore::showShelf, &SettingsStore::showShelfChanged, this,
        [this](bool on) { m_panel->setAcceptsDrops(on); });
    if (ActivityService* activities = m_features.activities) {
        observeDistinct(&m_settings, &SettingsStore::showActivities, &SettingsStore::showActivitiesChanged, this,
            [activities](bool on) { activities->setAllowed(on); });
    }

    for (auto signal : { &SettingsStore::showNowPlayingChanged, &SettingsStore::showCalendarChanged,
             &SettingsStore::showClipboardChanged, &SettingsStore::showShelfChanged })
        connect(&m_settings, signal, this, &IslandWindowController::updateAvailableTabs);
    updateAvailableTabs();

    observeDistinct(&m_settings, &SettingsStore::calendarShowsTodayOnly, &SettingsStore::calendarShowsTodayOnlyChanged, this,
        [this](bool todayOnly) { m_viewModel->setCalendarStyle(IslandRules::calendarStyle(todayOnly)); });

    // The closed island's content.
    if (BatteryService* battery = m_features.battery) {
        observeDistinct(battery, &BatteryService::hasStatus, &BatteryService::statusChanged, this, [this](bool hasStatus) {
            m_hasBattery = hasStatus;
            compactInputsDidChange();
        });
    }
    if (NowPlayingService* nowPlaying = m_features.nowPlaying) {
        observeDistinct(nowPlaying, &NowPlayingService::isActive, &NowPlayingService::isActiveChanged, this, [this](bool active) {
            m_nowPlayingActive = active;
            compactInputsDidChange();
        });
    }
    if (ActivityService* activities = m_features.activities) {
        observeDistinct(
            activities, &ActivityService::hasActivities, &ActivityService::hasActivitiesChanged, this, [this](bool running) {
                m_activityRunning = running;
                updateAvailableTabs();
                compactInputsDidChange();
            });
    }
    if (HUDController* hud = m_features.hud) {
        observeDistinct(hud->presenter(), &HUDPresenter::hasState, &HUDPresenter::stateChanged, this, [this](bool visible) {
            m_hudVisible = visible;
            compactInputsDidChange();
        });
    }
    for (auto signal : { &SettingsStore::showClockChanged, &SettingsStore::showBatteryChanged,
             &SettingsStore::showStatusInCompactChanged, &SettingsStore::showNowPlayingChanged })
        connect(&m_settings, signal, this, &IslandWindowController::compactInputsDidChange);
    compactInputsDidChange();

    connect(&m_screenService, &ScreenService::screenParametersDidChange, this, [this] { place(preferredScreen()); });

    m_lastPreferredDisplayID = m_settings.preferredDisplayID();
    connect(&m_settings, &SettingsStore::preferredDisplayIDChanged, this, [this] {
        if (m_settings.preferredDisplayID() == m_lastPreferredDisplayID)
            return;
        m_lastPreferredDisplayID = m_settings.preferredDisplayID();
        place(preferredScreen());
    });
    connect(&m_settings, &SettingsStore::islandPositionChanged, this, [this] { place(preferredScreen()); });

    connect(&m_panel->events(), &IslandPanelEvents::occlusionChanged, this, &IslandWindowController::panelOcclusionDidChange);
}

void IslandWindowController::updateAvailableTabs()
{
    m_viewModel->setAvailableTabs(IslandRules::availableTabs(m_settings.showNowPlaying(), m_settings.showCalendar(),
        m_settings.showClipboard(), m_settings.showShelf(), m_activityRunning));
}

void IslandWindowController::compactInputsDidChange()
{
    const CompactInputs inputs {
        IslandRules::statusContent(
            m_settings.showClock(), m_settings.showBattery(), m_settings.showStatusInCompact(), m_hasBattery),
        m_settings.showNowPlaying() && m_nowPlayingActive,
        m_hudVisible,
        m_activityRunning,
    };
    if (m_lastCompactInputs == inputs)
        return;
    m_lastCompactInputs = inputs;
    // Delivered on the next turn, so width, content and activity change
    // together and the first placement follows start().
    QMetaObject::invokeMethod(
        this,
        [this, inputs] {
            applyCompactPresentation(inputs.content,
                IslandRules::compactActivity(inputs.content, inputs.mediaActive, inputs.hudVisible, inputs.activityRunning));
        },
        Qt::QueuedConnection);
}

std::optional<PlatformScreen> IslandWindowController::preferredScreen() const
{
    return m_screenService.screen(m_settings.preferredDisplayID());
}

bool IslandWindowController::isExpanded() const
{
    return m_viewModel->state() == IslandState::expanded;
}

bool IslandWindowController::pointerInsideIsland() const
{
    if (m_panel->leaveIsFinal())
        return m_pointerOverPanel;
    // Outside the outline the panel lets the pointer through, so the margin
    // counts as outside.
    const QRect frame = m_panel->frame();
    const QPoint location = m_pointer.location();
    return frame.contains(location) && (m_shape.isEmpty() || m_shape.contains(location - frame.topLeft()));
}

void IslandWindowController::setPanelFrame(const QRect& frame)
{
    m_panel->setFrame(frame);
    updateShape();
}

void IslandWindowController::updateShape()
{
    if (m_outlineReporter) {
        m_shape = m_outlineReporter->outline();
    } else if (const auto& layout = m_viewModel->layout()) {
        // A scene that does not report its outline gets the layout's.
        m_shape = IslandOutline::region(*layout, m_viewModel->state(), m_panel->frame().size());
    } else {
        return;
    }
    m_panel->setIslandShape(m_shape);
}

void IslandWindowController::applyCompactPresentation(const IslandStatusContent& content, IslandCompactActivity activity)
{
    const auto writeContent = [&] {
        m_viewModel->setStatusContent(content);
        m_viewModel->setCompactActivity(activity);
    };
    if (!m_viewModel->layout()) {
        writeContent();
        place(preferredScreen());
        return;
    }
    const std::optional<PlatformScreen> screen = preferredScreen();
    if (!screen) {
        writeContent();
        place(std::nullopt);
        return;
    }
    const IslandLayout layout(*screen, IslandLayout::compactWingWidth(activity), m_settings.islandPosition());
    const IslandLayout current = *m_viewModel->layout();
    if (layout.screenFrame != current.screenFrame || layout.style != current.style || layout.edgeOffset != current.edgeOffset) {
        writeContent();
        place(screen);
        return;
    }
    if (isExpanded()) {
        writeContent();
        m_viewModel->setLayout(layout);
        return;
    }
    // Closed: the panel grows before the content animates wider, and shrinks
    // only once the content has animated narrower.
    m_resizeTask.cancel();
    const bool grows = layout.compactSize.width() > current.compactSize.width();
    if (grows)
        setPanelFrame(layout.closedPanelFrame());
    writeContent();
    m_viewModel->setLayout(layout);
    if (!grows) {
        m_resizeTask.start(compactShrinkDelay, [this, layout] {
            if (!isExpanded() && m_viewModel->layout() == layout)
                setPanelFrame(layout.closedPanelFrame());
        });
    }
}

void IslandWindowController::place(const std::optional<PlatformScreen>& screen)
{
    m_hoverTask.cancel();
    m_resizeTask.cancel();
    if (!screen) {
        m_panel->orderOut();
        qCWarning(lcIsland, "No screen available; island hidden");
        return;
    }
    const IslandLayout layout(
        *screen, IslandLayout::compactWingWidth(m_viewModel->compactActivity()), m_settings.islandPosition());
    m_viewModel->setLayout(layout);
    // The panel takes the closed frame at once: a close spring would play
    // clipped inside it.
    m_viewModel->setState(IslandState::compact, false);
    // Where the display server places the island beside its panels, only a
    // notch or the user's choice keeps it over them.
    m_panel->setOverTopPanels(
        layout.style == IslandLayout::Style::notch || m_settings.islandPosition() == IslandPosition::topEdge);
    setPanelFrame(layout.closedPanelFrame());
    m_panel->orderFrontRegardless();
    qCInfo(lcIsland, "Island placed on %s style %s compact %fx%f", qUtf8Printable(screen->localizedName),
        qUtf8Printable(IslandLayout::rawValue(layout.style)), layout.compactSize.width(), layout.compactSize.height());
}

void IslandWindowController::handleHover(bool inside)
{
    m_pointerOverPanel = inside;
    m_hoverTask.cancel();
    if (inside) {
        // Back on the island: the next leave decides, so a watch started
        // after a leave need not keep polling the X server.
        if (isExpanded() && !m_isExternalDragActive)
            m_pointerWatchTask.cancel();
        // Where the pointer's position can be stale, an enter alone may come
        // from the panel being placed or reshaped under it: motion opens.
        if (!m_panel->leaveIsFinal())
            openAfterHoverDelay();
        return;
    }
    if (!isExpanded() || m_isExternalDragActive)
        return;
    m_hoverTask.start(closeDelay, [this] {
        if (m_isExternalDragActive)
            return;
        if (!pointerInsideIsland())
            collapse();
        else
            // A leave with the pointer still on the island (another program
            // grabbed the pointer): no further leave may come, so watch.
            watchPointerUntilExit();
    });
}

void IslandWindowController::handlePointerMoved()
{
    if (m_panel->leaveIsFinal() && m_pointerOverPanel)
        openAfterHoverDelay();
}

void IslandWindowController::openAfterHoverDelay()
{
    if (isExpanded() || !m_panel->isVisibleOnScreen())
        return;
    const auto delay = std::chrono::milliseconds(std::lround(m_settings.hoverDelay() * 1000));
    m_hoverTask.start(delay, [this] {
        if (m_panel->isVisibleOnScreen() && pointerInsideIsland())
            expand();
    });
}

void IslandWindowController::expand()
{
    const auto& layout = m_viewModel->layout();
    if (!layout || isExpanded())
        return;
    m_resizeTask.cancel();
    setPanelFrame(layout->openPanelFrame());
    m_viewModel->setState(IslandState::expanded);
}

void IslandWindowController::collapse()
{
    if (!m_viewModel->layout() || !isExpanded())
        return;
    const IslandLayout layout = *m_viewModel->layout();
    m_viewModel->setState(IslandState::compact);
    m_resizeTask.start(collapseShrinkDelay, [this, layout] {
        if (!isExpanded())
            setPanelFrame(layout.closedPanelFrame());
    });
}

void IslandWindowController::collapseImmediately()
{
    m_hoverTask.cancel();
    m_resizeTask.cancel();
    const auto& layout = m_viewModel->layout();
    if (!layout)
        return;
    if (isExpanded())
        m_viewModel->setState(IslandState::compact, false);
    setPanelFrame(layout->closedPanelFrame());
}

void IslandWindowController::panelOcclusionDidChange()
{
    if (!m_panel->isVisibleOnScreen())
        collapseImmediately();
}

void IslandWindowController::watchPointerUntilExit()
{
    m_pointerWatchTask.startRepeating(pointerWatchInterval, [this] {
        if (m_isExternalDragActive && !m_pointer.isPrimaryButtonPressed() && !m_panel->isDraggingOut())
            m_isExternalDragActive = false;
        if (!isExpanded()) {
            m_pointerWatchTask.cancel();
            return;
        }
        if (!m_isExternalDragActive && !pointerInsideIsland()) {
            m_pointerWatchTask.cancel();
            collapse();
        }
    });
}

void IslandWindowController::handleDropTarget(bool targeted)
{
    if (!m_settings.showShelf())
        return;
    m_viewModel->setDropTargeted(targeted);
    m_pointerOverPanel = targeted;
    if (targeted) {
        m_hoverTask.cancel();
        expand();
        m_viewModel->setSelectedTab(IslandTab::shelf);
    } else {
        watchPointerUntilExit();
    }
}

bool IslandWindowController::handleDrop(const QMimeData& data)
{
    m_viewModel->setDropTargeted(false);
    // The drop happened over the island, under the pointer.
    m_pointerOverPanel = true;
    const bool accepted = m_features.shelf && m_features.shelf->add(data);
    if (!m_features.shelf)
        qCInfo(lcIsland, "Drop of %s refused: the shelf is not available",
            qUtf8Printable(data.formats().join(QStringLiteral(", "))));
    else if (!accepted)
        qCInfo(
            lcIsland, "Drop of %s refused: nothing in it can be kept", qUtf8Printable(data.formats().join(QStringLiteral(", "))));
    watchPointerUntilExit();
    return accepted;
}

void IslandWindowController::handleExternalDragStart()
{
    m_isExternalDragActive = true;
    m_hoverTask.cancel();
    watchPointerUntilExit();
}
