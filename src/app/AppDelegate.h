#pragma once

#include "FeatureFactories.h"
#include "IslandFeatures.h"
#include "IslandPlatform.h"

#include <QObject>

#include <memory>

class ActivityService;
class ClipboardService;
class ShelfService;
class BatteryService;
class CalendarService;
class HUDController;
class InstanceGuard;
class LaunchAtLoginService;
class TrayController;
class SettingsWindowController;
class UpdaterService;
class IslandWindowController;
class NowPlayingService;
class ScreenService;
class SettingsStore;
class UserDefaults;

/// Owns every long-lived service and controller, runs the launch, reopen and
/// stop sequences, and guards against a second running copy.
class AppDelegate final : public QObject {
    Q_OBJECT
public:
    /// Constructs the services in their fixed order; starts nothing. The
    /// island is made on `island` at launch; `factories` make the feature services.
    AppDelegate(UserDefaults& defaults, InstanceGuard& guard, IslandPlatform island, FeatureFactories factories = {},
        ShellPlatform shell = {}, QObject* parent = nullptr);
    ~AppDelegate() override;
    Q_DISABLE_COPY_MOVE(AppDelegate)

    /// The launch sequence. Returns false when another copy runs: this copy
    /// has then asked it to reopen and requested its own termination.
    bool started();
    /// A later launch asked this copy to reopen: shows the settings window.
    /// Always false, so nothing else happens.
    bool reopened();
    /// The stop sequence; runs once.
    void quitting();

    SettingsStore& settings() const { return *m_settings; }
    ScreenService& screenService() const { return *m_screenService; }
    /// The island, once launched.
    IslandWindowController* islandController() const { return m_islandController.get(); }
    const IslandFeatures& features() const { return m_features; }
    /// The HUD controller, made on first use; null when the program has no HUD.
    HUDController* hud();
    const IslandActions& actions() const { return m_actions; }
    /// The shell's parts; null without a shell platform (and before launch for the controllers).
    LaunchAtLoginService* launchAtLogin() const { return m_launchAtLogin.get(); }
    UpdaterService* updater() const { return m_updater.get(); }
    TrayController* trayController() const { return m_trayController.get(); }
    SettingsWindowController* settingsWindowController() const { return m_settingsWindowController.get(); }
    bool hasLaunched() const { return m_launched; }

Q_SIGNALS:
    /// Asks the application object to end the event loop (quit action, second copy).
    void terminateRequested();

private:
    bool terminateIfAlreadyRunning();

    InstanceGuard& m_guard;
    UserDefaults& m_defaults;
    IslandPlatform m_islandPlatform;
    TrayHost* m_trayHost = nullptr;
    std::unique_ptr<SettingsStore> m_settings;
    std::unique_ptr<ScreenService> m_screenService;
    std::unique_ptr<LaunchAtLoginService> m_launchAtLogin;
    std::unique_ptr<ClipboardService> m_clipboard;
    std::unique_ptr<ShelfService> m_shelf;
    std::unique_ptr<ActivityService> m_activities;
    std::unique_ptr<BatteryService> m_battery;
    std::unique_ptr<CalendarService> m_calendar;
    std::unique_ptr<NowPlayingService> m_nowPlaying;
    std::unique_ptr<UpdaterService> m_updater;
    std::function<std::unique_ptr<HUDController>(SettingsStore&)> m_makeHud;
    std::unique_ptr<HUDController> m_hud;
    IslandFeatures m_features;
    IslandActions m_actions;
    std::unique_ptr<IslandWindowController> m_islandController;
    std::unique_ptr<TrayController> m_trayController;
    std::unique_ptr<SettingsWindowController> m_settingsWindowController;
    bool m_launched = false;
    bool m_terminated = false;
};
