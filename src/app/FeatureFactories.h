#pragma once

#include <functional>
#include <memory>

class ActivityService;
class ClipboardService;
class BatteryService;
class CalendarService;
class HUDController;
class LoginItem;
class UpdateFramework;
class NowPlayingService;
class SettingsStore;
class ShelfService;
class TrayHost;

/// Makes the feature services for the application delegate: the program
/// builds them over the real platform objects, tests leave out what they
/// don't exercise (a missing factory means the feature is absent).
struct FeatureFactories {
    std::function<std::unique_ptr<ClipboardService>()> clipboard;
    std::function<std::unique_ptr<BatteryService>()> battery;
    std::function<std::unique_ptr<CalendarService>()> calendar;
    std::function<std::unique_ptr<NowPlayingService>()> nowPlaying;
    std::function<std::unique_ptr<ShelfService>()> shelf;
    std::function<std::unique_ptr<ActivityService>()> activities;
    /// Called when the HUD is first needed, over the delegate's settings.
    std::function<std::unique_ptr<HUDController>(SettingsStore&)> hud;
};

/// The shell's platform objects: the login item and the update framework.
/// Without them the program has no settings window or tray item. Without a
/// tray host the tray item is made whenever it is shown.
struct ShellPlatform {
    LoginItem* loginItem = nullptr;
    UpdateFramework* updates = nullptr;
    TrayHost* trayHost = nullptr;
};
