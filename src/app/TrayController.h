#pragma once

#include <QAction>
#include <QObject>

#include <functional>
#include <memory>

class LaunchAtLoginService;
class QMenu;
class QSystemTrayIcon;
class TrayHost;

/// The optional tray item and its menu: open the settings, start at login,
/// quit. The actions exist from construction; the tray item itself is made
/// the first time it is shown while the desktop has a tray (it needs the
/// widget application). A click on it opens the menu at the pointer, as a
/// right click does.
class TrayController final : public QObject {
    Q_OBJECT
public:
    /// Shows a failure to the user: title and message.
    using Alert = std::function<void(const QString& title, const QString& message)>;

    /// Without a `host` the item is made whenever it is shown.
    TrayController(LaunchAtLoginService& launchAtLogin, std::function<void()> openSettings, std::function<void()> quit,
        TrayHost* host = nullptr, QObject* parent = nullptr);
    ~TrayController() override;
    Q_DISABLE_COPY_MOVE(TrayController)

    /// Shows or hides the tray item (follows showTrayIcon).
    void setVisible(bool visible);
    bool isVisible() const { return m_visible; }
    /// The menu's entries in order, the separator included.
    QList<QAction*> actions() const { return { m_settingsAction, m_launchAtLoginAction, m_separator, m_quitAction }; }
    QAction* launchAtLoginAction() const { return m_launchAtLoginAction; }
    /// Before the menu opens: the login item's status read again.
    void menuNeedsUpdate();
    /// "Launch at Login" chosen.
    void toggleLaunchAtLogin();
    /// Replaces the modal alert (tests).
    void setAlert(Alert alert) { m_alert = std::move(alert); }
    QSystemTrayIcon* trayIcon() const { return m_tray.get(); }
    /// The menu a click on the item opens at the pointer.
    QMenu* clickMenu() const { return m_clickMenu.get(); }

private:
    void updateLaunchAtLoginItem();
    void updateTrayIcon();
    void makeTrayIcon();

    LaunchAtLoginService& m_launchAtLogin;
    std::function<void()> m_openSettings;
    QAction* m_settingsAction;
    QAction* m_launchAtLoginAction;
    QAction* m_separator;
    QAction* m_quitAction;
    Alert m_alert;
    TrayHost* m_host;
    std::unique_ptr<QMenu> m_menu;
    std::unique_ptr<QMenu> m_clickMenu;
    std::unique_ptr<QSystemTrayIcon> m_tray;
    bool m_visible = false;
    bool m_loggedNoTray = false;
};
