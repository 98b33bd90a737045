#include "TrayController.h"

#include "LaunchAtLoginService.h"
#include "Log.h"
#include "SymbolCatalog.h"
#include "TrayHost.h"

#include <QApplication>
#include <QCursor>
#include <QFont>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QPalette>
#include <QSystemTrayIcon>

namespace {

// The symbol in the panel's text colour, as a mask the desktop may recolour.
QIcon trayIconImage()
{
    SymbolCatalog::loadFont();
    const QString systemImage = QStringLiteral("rectangle.topthird.inset.filled");
    QIcon icon;
    for (const int side : { 16, 22, 24, 32, 48, 64 }) {
        QPixmap pixmap(side, side);
        pixmap.fill(Qt::transparent);
        QPainter painter(&pixmap);
        QFont font(SymbolCatalog::fontFamily());
        font.setPixelSize(side);
        painter.setFont(font);
        painter.setPen(QGuiApplication::palette().color(QPalette::WindowText));
        painter.drawText(pixmap.rect(), Qt::AlignCenter, SymbolCatalog::glyph(systemImage));
        painter.end();
        icon.addPixmap(pixmap);
    }
    icon.setIsMask(true);
    return icon;
}

} // namespace

TrayController::TrayController(LaunchAtLoginService& launchAtLogin, std::function<void()> openSettings,
    std::function<void()> quit, TrayHost* host, QObject* parent)
    : QObject(parent)
    , m_launchAtLogin(launchAtLogin)
    , m_openSettings(std::move(openSettings))
    , m_settingsAction(new QAction(QStringLiteral("Settings…"), this))
    , m_launchAtLoginAction(new QAction(QStringLiteral("Launch at Login"), this))
    , m_separator(new QAction(this))
    , m_quitAction(new QAction(QStringLiteral("Quit Brimwell"), this))
    , m_host(host)
{
    m_settingsAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    m_settingsAction->setShortcutVisibleInContextMenu(true);
    connect(m_settingsAction, &QAction::triggered, this, [this] {
        if (m_openSettings)
            m_openSettings();
    });
    m_launchAtLoginAction->setCheckable(true);
    connect(m_launchAtLoginAction, &QAction::triggered, this, [this] { toggleLaunchAtLogin(); });
    m_separator->setSeparator(true);
    m_quitAction->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q));
    m_quitAction->setShortcutVisibleInContextMenu(true);
    connect(m_quitAction, &QAction::triggered, this, [quit = std::move(quit)] {
        if (quit)
            quit();
    });
    m_alert = [](const QString& title, const QString& message) {
        QMessageBox box(QMessageBox::Warning, QStringLiteral("Brimwell"), title, QMessageBox::Ok);
        box.setInformativeText(message);
        box.exec();
    };
    updateLaunchAtLoginItem();
    if (m_host)
        connect(m_host, &TrayHost::availableChanged, this, &TrayController::updateTrayIcon);
}

TrayController::~TrayController() = default;

void TrayController::makeTrayIcon()
{
    m_menu = std::make_unique<QMenu>();
    m_menu->addActions(actions());
    connect(m_menu.get(), &QMenu::aboutToShow, this, &TrayController::menuNeedsUpdate);
    // The context menu may be exported to the panel (dbusmenu) and then
    // cannot pop up by itself; the click opens a plain one with the same entries.
    m_clickMenu = std::make_unique<QMenu>();
    m_clickMenu->addActions(actions());
    connect(m_clickMenu.get(), &QMenu::aboutToShow, this, &TrayController::menuNeedsUpdate);
    m_tray = std::make_unique<QSystemTrayIcon>(trayIconImage());
    m_tray->setToolTip(QStringLiteral("Brimwell"));
    m_tray->setContextMenu(m_menu.get());
    // A StatusNotifierItem host's Activate and an XEmbed tray's left click.
    connect(m_tray.get(), &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason reason) {
        if (reason == QSystemTrayIcon::Trigger)
            m_clickMenu->popup(QCursor::pos());
    });
}

void TrayController::setVisible(bool visible)
{
    m_visible = visible;
    updateTrayIcon();
}

void TrayController::updateTrayIcon()
{
    if (m_tray) {
        // Once made, Qt's item follows a host of the kind it was made for
        // (re-registers with a restarted watcher, docks again in a new XEmbed
        // tray). Qt settles that kind once per process, so an XEmbed tray
        // replaced by a StatusNotifierWatcher leaves the item without a host.
        m_tray->setVisible(m_visible);
        return;
    }
    if (!m_visible)
        return;
    // Made before any host exists, Qt's item would settle for no tray for
    // the life of the process; so it waits for one.
    const bool hostKnown = m_host != nullptr;
    if (hostKnown ? !m_host->isAvailable() : !QSystemTrayIcon::isSystemTrayAvailable()) {
        if (!m_loggedNoTray) {
            m_loggedNoTray = true;
            qCWarning(lcApp, "No system tray on this desktop; open Brimwell again to reach its settings");
        }
        if (hostKnown)
            return;
    }
    if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
        qCWarning(lcApp, "No tray item without a widget application");
        return;
    }
    makeTrayIcon();
    m_tray->setVisible(true);
}

void TrayController::updateLaunchAtLoginItem()
{
    // On Linux the item never waits for approval; its state is on or off.
    m_launchAtLoginAction->setChecked(m_launchAtLogin.isEnabled());
    m_launchAtLoginAction->setToolTip(m_launchAtLogin.requiresApproval()
            ? QStringLiteral("Approve Brimwell in System Settings › General › Login Items")
            : QString());
}

void TrayController::menuNeedsUpdate()
{
    m_launchAtLogin.refreshStatus();
    updateLaunchAtLoginItem();
}

void TrayController::toggleLaunchAtLogin()
{
    if (m_launchAtLogin.requiresApproval()) {
        m_launchAtLogin.openSystemSettingsLoginItems();
        updateLaunchAtLoginItem();
        return;
    }
    if (const auto error = m_launchAtLogin.setEnabled(!m_launchAtLogin.isEnabled()))
        m_alert(QStringLiteral("Couldn’t change Launch at Login"), *error);
    updateLaunchAtLoginItem();
}
