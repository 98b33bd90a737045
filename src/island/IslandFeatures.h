#pragma once

#include <functional>

class ActivityService;
class BatteryService;
class CalendarService;
class ClipboardService;
class NowPlayingService;
class HUDController;
class ShelfService;

/// Shared references to the feature services, handed to the island window
/// controller and its views. A feature that is not built into this program
/// yet is null, and the island skips its rules.
struct IslandFeatures {
    BatteryService* battery = nullptr;
    CalendarService* calendar = nullptr;
    ClipboardService* clipboard = nullptr;
    NowPlayingService* nowPlaying = nullptr;
    HUDController* hud = nullptr;
    ShelfService* shelf = nullptr;
    ActivityService* activities = nullptr;
};

/// Application-level callbacks for the island, called on the GUI thread.
struct IslandActions {
    std::function<void()> openSettings;
    std::function<void()> quit;
};
