#include "SettingsWindowController.h"

#include "CalendarService.h"
#include "ClipboardService.h"
#include "HUDController.h"
#include "LaunchAtLoginService.h"
#include "Log.h"
#include "NowPlayingService.h"
#include "SettingsStore.h"
#include "SettingsViewLogic.h"
#include "SettingsViews.h"
#include "ShelfService.h"
#include "SymbolCatalog.h"
#include "UpdaterService.h"

#include <QEvent>
#include <QGuiApplication>
#include <QQmlError>
#include <QQuickItem>
#include <QQuickView>
#include <QScreen>

namespace {

constexpr QSize contentSize(720, 520);

// Closing the window hides it; the view and its state stay for the next show().
class HideOnClose final : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        if (event->type() != QEvent::Close)
            return false;
        event->ignore();
        static_cast<QWindow*>(watched)->hide();
        return true;
    }
};

} // namespace

SettingsWindowController::SettingsWindowController(SettingsStore& settings, ScreenService& screenService,
    LaunchAtLoginService& launchAtLogin, Services services, UpdaterService& updater, UserDefaults& defaults,
    std::function<void()> quit, QObject* parent)
    : QObject(parent)
    , m_settings(settings)
    , m_launchAtLogin(launchAtLogin)
    , m_services(services)
    , m_updater(updater)
    , m_quit(std::move(quit))
    , m_logic(std::make_unique<SettingsViewLogic>(settings, screenService, defaults))
{
    if (HUDController* hud = m_services.hud)
        m_logic->setHUD(&hud->brightness(), &hud->keyInterceptor());
    m_logic->setNowPlaying(m_services.nowPlaying);
    connect(m_logic.get(), &SettingsViewLogic::quitRequested, this, &SettingsWindowController::requestQuit);
    m_logic->setCalendar(m_services.calendar);
    m_logic->setClipboard(m_services.clipboard);
    m_logic->setShelf(m_services.shelf);
    m_logic->setTrayHost(m_services.trayHost);
}

SettingsWindowController::~SettingsWindowController() = default;

void SettingsWindowController::makeWindow()
{
    SymbolCatalog::loadFont();
    m_window = std::make_unique<QQuickView>();
    m_window->setTitle(QStringLiteral("Brimwell Settings"));
    m_window->setFlags(
        Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint | Qt::WindowMinimizeButtonHint);
    m_window->setColor(QColor(0x1c, 0x1c, 0x1e));
    m_window->setResizeMode(QQuickView::SizeRootObjectToView);
    m_window->resize(contentSize);
    m_window->setMinimumSize(contentSize);
    m_window->setMaximumSize(contentSize);
    m_window->installEventFilter(new HideOnClose(m_window.get()));
    m_window->setInitialProperties({
        { QStringLiteral("settings"), QVariant::fromValue<QObject*>(&m_settings) },
        { QStringLiteral("logic"), QVariant::fromValue<QObject*>(m_logic.get()) },
        { QStringLiteral("launchAtLogin"), QVariant::fromValue<QObject*>(&m_launchAtLogin) },
        { QStringLiteral("updater"), QVariant::fromValue<QObject*>(&m_updater) },
        { QStringLiteral("calendar"), QVariant::fromValue<QObject*>(m_services.calendar) },
        { QStringLiteral("clipboard"), QVariant::fromValue<QObject*>(m_services.clipboard) },
        { QStringLiteral("shelf"), QVariant::fromValue<QObject*>(m_services.shelf) },
    });
    m_window->setSource(SettingsViews::settingsViewUrl());
    for (const QQmlError& error : m_window->errors())
        qCCritical(lcApp, "Settings window: %s", qUtf8Printable(error.toString()));
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->availableGeometry();
        m_window->setPosition(area.center() - QPoint(contentSize.width() / 2, contentSize.height() / 2));
    }
}

void SettingsWindowController::show()
{
    if (!m_window)
        makeWindow();
    m_launchAtLogin.refreshStatus();
    if (m_services.calendar)
        m_services.calendar->refreshAccess();
    if (m_services.hud)
        m_services.hud->keyInterceptor().refreshTrust();
    m_window->show();
    m_window->raise();
    m_window->requestActivate();
}

void SettingsWindowController::show(SettingsPane pane)
{
    m_logic->setSelectedPane(pane);
    show();
}

void SettingsWindowController::requestQuit()
{
    if (m_quit)
        m_quit();
}
