#pragma once

#include "SettingsPane.h"

#include <QObject>

#include <functional>
#include <memory>

class CalendarService;
class ClipboardService;
class HUDController;
class LaunchAtLoginService;
class NowPlayingService;
class QQuickView;
class ScreenService;
class SettingsStore;
class SettingsViewLogic;
class ShelfService;
class TrayHost;
class UpdaterService;
class UserDefaults;

/// Makes the settings window on first use, keeps it (closing hides it) and
/// brings it to the front with the permissions read afresh.
class SettingsWindowController final : public QObject {
    Q_OBJECT
public:
    /// The services the panes show; a feature this program lacks is null.
    struct Services {
        CalendarService* calendar = nullptr;
        ClipboardService* clipboard = nullptr;
        NowPlayingService* nowPlaying = nullptr;
        HUDController* hud = nullptr;
        ShelfService* shelf = nullptr;
        /// Whether the desktop shows tray icons; unknown without one.
        TrayHost* trayHost = nullptr;
    };

    SettingsWindowController(SettingsStore& settings, ScreenService& screenService, LaunchAtLoginService& launchAtLogin,
        Services services, UpdaterService& updater, UserDefaults& defaults, std::function<void()> quit,
        QObject* parent = nullptr);
    ~SettingsWindowController() override;
    Q_DISABLE_COPY_MOVE(SettingsWindowController)

    /// Makes the window if there is none yet, refreshes the login item, the
    /// calendar access and the media key trust, and raises and focuses it.
    void show();
    /// show() on `pane`.
    void show(SettingsPane pane);
    /// The window once shown.
    QQuickView* window() const { return m_window.get(); }
    SettingsViewLogic& logic() const { return *m_logic; }

private:
    // The About pane's "Quit Brimwell".
    void requestQuit();
    void makeWindow();

    SettingsStore& m_settings;
    LaunchAtLoginService& m_launchAtLogin;
    Services m_services;
    UpdaterService& m_updater;
    std::function<void()> m_quit;
    std::unique_ptr<SettingsViewLogic> m_logic;
    std::unique_ptr<QQuickView> m_window;
};
