#include "MenuBarController.h"

#include "LaunchAtLoginService.h"
#include "Log.h"
#include "SymbolCatalog.h"

#include <QApplication>
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

MenuBarController::MenuBarController(
    LaunchAtLoginService& launchAtLogin, std::function<void()> openSettings, std::function<void()> quit, QObject* parent)
    : QObject(parent)
    , m_launchAtLogin(launchAtLogin)
    , m_openSettings(std::move(openSettings))
    , m_settingsAction(new QAction(QStringLiteral("Settings…"), this))
    , m_launchAtLoginAction(new QAction(QStringLiteral("Launch at Login"), this))
    , m_separator(new QAction(this))
    , m_quitAction(new QAction(QStringLiteral("Quit Brimwell"), this))
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
}

MenuBarController::~MenuBarController() = default;

void MenuBarController::makeTrayIcon()
{
    m_menu = std::make_unique<QMenu>();
    m_menu->addActions(actions());
    connect(m_menu.get(), &QMenu::aboutToShow, this, &MenuBarController::menuNeedsUpdate);
    m_tray = std::make_unique<QSystemTrayIcon>(trayIconImage());
    m_tray->setToolTip(QStringLiteral("Brimwell"));
    m_tray->setContextMenu(m_menu.get());
}

void MenuBarController::setVisible(bool visible)
{
    m_visible = visible;
    if (visible && !m_tray) {
        if (!qobject_cast<QApplication*>(QCoreApplication::instance())) {
            qCWarning(lcApp, "No tray item without a widget application");
            return;
        }
        makeTrayIcon();
    }
    if (visible && !m_loggedNoTray && !QSystemTrayIcon::isSystemTrayAvailable()) {
        m_loggedNoTray = true;
        qCWarning(lcApp, "No system tray on this desktop; open Brimwell again to reach its settings");
    }
    if (m_tray)
        m_tray->setVisible(visible);
}

void MenuBarController::updateLaunchAtLoginItem()
{
    // On Linux the item never waits for approval; its state is on or off.
    m_launchAtLoginAction->setChecked(m_launchAtLogin.isEnabled());
    m_launchAtLoginAction->setToolTip(m_launchAtLogin.requiresApproval()
            ? QStringLiteral("Approve Brimwell in System Settings › General › Login Items")
            : QString());
}

void MenuBarController::menuNeedsUpdate()
{
    m_launchAtLogin.refreshStatus();
    updateLaunchAtLoginItem();
}

void MenuBarController::toggleLaunchAtLogin()
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
