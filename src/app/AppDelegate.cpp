#include "AppDelegate.h"

#include "ActivityService.h"
#include "AppInfo.h"
#include "BatteryService.h"
#include "CalendarService.h"
#include "ClipboardService.h"
#include "HUDController.h"
#include "InstanceGuard.h"
#include "IslandWindowController.h"
#include "LaunchAtLoginService.h"
#include "Log.h"
#include "NowPlayingService.h"
#include "ScreenService.h"
#include "SettingsStore.h"
#include "SettingsWindowController.h"
#include "ShelfService.h"
#include "TrayController.h"
#include "UpdaterService.h"

#include "Observe.h"

#include <QPointer>

AppDelegate::AppDelegate(UserDefaults& defaults, InstanceGuard& guard, IslandPlatform island, FeatureFactories factories,
    ShellPlatform shell, QObject* parent)
    : QObject(parent)
    , m_guard(guard)
    , m_defaults(defaults)
    , m_islandPlatform(std::move(island))
    , m_trayHost(shell.trayHost)
    , m_settings(std::make_unique<SettingsStore>(defaults))
    , m_screenService(std::make_unique<ScreenService>(*m_islandPlatform.screens))
{
    if (shell.loginItem)
        m_launchAtLogin = std::make_unique<LaunchAtLoginService>(*shell.loginItem);
    // The feature services in their fixed order: login item, battery,
    // calendar, clipboard, Now Playing, shelf, updater; each joins here as it
    // lands. None is started: the island controller follows their switches.
    if (factories.battery)
        m_battery = factories.battery();
    if (factories.calendar)
        m_calendar = factories.calendar();
    if (factories.clipboard)
        m_clipboard = factories.clipboard();
    if (factories.nowPlaying) {
        m_nowPlaying = factories.nowPlaying();
        const auto applyPlayerChoice
            = [this] { m_nowPlaying->setPlayerPreferences(m_settings->preferredPlayer(), m_settings->ignoredPlayers()); };
        applyPlayerChoice();
        connect(m_settings.get(), &SettingsStore::preferredPlayerChanged, this, applyPlayerChoice);
        connect(m_settings.get(), &SettingsStore::ignoredPlayersChanged, this, applyPlayerChoice);
    }
    if (factories.shelf)
        m_shelf = factories.shelf();
    if (factories.activities)
        m_activities = factories.activities();
    if (shell.updates)
        m_updater = std::make_unique<UpdaterService>(*shell.updates, AppInfo::main().build());
    m_features.battery = m_battery.get();
    m_features.calendar = m_calendar.get();
    m_features.clipboard = m_clipboard.get();
    m_features.nowPlaying = m_nowPlaying.get();
    m_features.shelf = m_shelf.get();
    m_features.activities = m_activities.get();
    m_makeHud = std::move(factories.hud);
}

AppDelegate::~AppDelegate() = default;

HUDController* AppDelegate::hud()
{
    if (!m_hud && m_makeHud)
        m_hud = m_makeHud(*m_settings);
    return m_hud.get();
}

bool AppDelegate::terminateIfAlreadyRunning()
{
    if (!AppInfo::main().identifier())
        return false;
    if (m_guard.claim())
        return false;
    qCWarning(lcApp, "Another instance is already running; terminating");
    QPointer<AppDelegate> self(this);
    m_guard.requestReopen([self] {
        if (self)
            Q_EMIT self->terminateRequested();
    });
    return true;
}

bool AppDelegate::started()
{
    if (terminateIfAlreadyRunning())
        return false;
    connect(&m_guard, &InstanceGuard::reopenRequested, this, [this] { reopened(); });

    QPointer<AppDelegate> self(this);
    m_actions.openSettings = [self] {
        if (self)
            self->reopened();
    };
    m_actions.quit = [self] {
        if (self)
            Q_EMIT self->terminateRequested();
    };

    if (m_updater)
        m_updater->start();
    // The settings window is the HUD's first reader.
    m_features.hud = hud();
    if (m_launchAtLogin && m_updater) {
        m_settingsWindowController = std::make_unique<SettingsWindowController>(*m_settings, *m_screenService, *m_launchAtLogin,
            SettingsWindowController::Services {
                m_calendar.get(), m_clipboard.get(), m_nowPlaying.get(), m_features.hud, m_shelf.get(), m_trayHost },
            *m_updater, m_defaults, m_actions.quit);
        m_trayController = std::make_unique<TrayController>(*m_launchAtLogin, m_actions.openSettings, m_actions.quit, m_trayHost);
        QPointer<TrayController> tray(m_trayController.get());
        observeDistinct(m_settings.get(), &SettingsStore::showTrayIcon, &SettingsStore::showTrayIconChanged,
            m_trayController.get(), [tray](bool visible) {
                if (tray)
                    tray->setVisible(visible);
            });
        // The Calendar tab's "Open Privacy Settings" leads to the pane that gives and withdraws access.
        if (m_calendar) {
            m_calendar->setPrivacySettingsOpener([self] {
                if (self && self->m_settingsWindowController)
                    self->m_settingsWindowController->show(SettingsPane::calendar);
            });
        }
    }
    m_islandController = std::make_unique<IslandWindowController>(*m_settings, *m_screenService, m_features, m_actions,
        m_islandPlatform.makePanel(), *m_islandPlatform.pointer, *m_islandPlatform.scheduler);
    m_islandController->start();
    if (HUDController* controller = hud())
        controller->start(); // its own settings start its parts
    // Callers are answered once the island follows the switch that allows them.
    if (m_activities)
        m_activities->start();

    m_launched = true;
    const AppInfo& app = AppInfo::main();
    qCInfo(lcApp, "Brimwell %s (%s) running", qUtf8Printable(app.build().version), qUtf8Printable(app.build().buildNumber));
    return true;
}

bool AppDelegate::reopened()
{
    if (m_settingsWindowController) {
        qCInfo(lcApp, "Reopen requested; showing the settings window");
        m_settingsWindowController->show();
    } else {
        qCInfo(lcApp, "Reopen requested; the settings window is not available in this build");
    }
    return false;
}

void AppDelegate::quitting()
{
    if (m_terminated)
        return;
    m_terminated = true;
    // The HUD's parts stop first and clipboard watching last; nothing else
    // is torn down.
    if (HUDController* controller = hud())
        controller->stop(); // lets go of the media keys
    if (m_nowPlaying)
        m_nowPlaying->stop();
    if (m_clipboard)
        m_clipboard->stop();
    qCInfo(lcApp, "Terminating");
}
