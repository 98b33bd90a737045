#include "ActivityCommand.h"
#include "ActivityService.h"
#include "AppDelegate.h"
#include "AppInfo.h"
#include "AppcastUpdater.h"
#include "BatteryService.h"
#include "CalendarService.h"
#include "ClipboardService.h"
#include "Clock.h"
#include "CombinedCalendarStore.h"
#include "DBusActivityHost.h"
#include "DBusFileBrowser.h"
#include "DBusInstanceGuard.h"
#include "DesktopApplicationCatalog.h"
#include "EdsCalendarModule.h"
#include "Footprint.h"
#include "FreedesktopThumbnails.h"
#include "FreedesktopTrayHost.h"
#include "HUDController.h"
#include "ICalendarFileStore.h"
#include "KWinBlurBehind.h"
#include "KdeConnectSharing.h"
#include "LazyCalendarStore.h"
#include "LinuxWallClockEvents.h"
#include "Log.h"
#include "MprisWatcher.h"
#include "NetworkWebLoader.h"
#include "NowPlayingService.h"
#include "PulseAudioHardware.h"
#include "QtScreenSource.h"
#include "SessionPlatform.h"
#include "ShelfService.h"
#include "SignalQuitter.h"
#include "SysfsBacklight.h"
#include "SysfsPowerSupplies.h"
#include "UPowerPowerSources.h"
#include "UserDefaults.h"
#include "WaylandDataControlClipboard.h"
#include "WaylandIslandPanel.h"
#include "X11Clipboard.h"
#include "X11Connection.h"
#include "X11IslandPanel.h"
#include "X11MediaKeyGrabber.h"
#include "X11PointerState.h"
#include "XdgAutostartLoginItem.h"

#include <QApplication>
#include <QDBusConnection>
#include <QDesktopServices>
#include <QDir>
#include <QFile>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <malloc.h>

namespace {

// For bench/startup: report when the event loop runs, and the resident size.
void reportStartupProbe()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    long rssKb = 0;
    QFile status(QStringLiteral("/proc/self/status"));
    if (status.open(QIODevice::ReadOnly)) {
        for (const QByteArray& line : status.readAll().split('\n')) {
            if (line.startsWith("VmRSS:"))
                rssKb = line.mid(6).trimmed().split(' ').value(0).toLong();
        }
    }
    std::printf("startup-probe monotonic_ns=%lld rss_kb=%ld\n", (long long)ts.tv_sec * 1000000000LL + ts.tv_nsec, rssKb);
    std::fflush(stdout);
}

// What the updater found, told the way the desktop shows a small dialog.
void presentUpdates(AppcastUpdater& updater)
{
    QObject::connect(&updater, &AppcastUpdater::updateFound, &updater, [](const AppcastItem& item, bool) {
        QMessageBox box(QMessageBox::Information, QStringLiteral("Brimwell"),
            QStringLiteral("Brimwell %1 is available.").arg(item.shortVersion), QMessageBox::Close);
        box.setInformativeText(QStringLiteral("You have version %1.").arg(AppInfo::main().build().version));
        QPushButton* download = box.addButton(QStringLiteral("Download…"), QMessageBox::AcceptRole);
        QPushButton* notes
            = item.releaseNotesURL.isValid() ? box.addButton(QStringLiteral("Release Notes"), QMessageBox::HelpRole) : nullptr;
        box.exec();
        if (box.clickedButton() == download)
            QDesktopServices::openUrl(item.downloadURL);
        else if (notes && box.clickedButton() == notes)
            QDesktopServices::openUrl(item.releaseNotesURL);
    });
    QObject::connect(&updater, &AppcastUpdater::upToDate, &updater, [] {
        QMessageBox box(
            QMessageBox::Information, QStringLiteral("Brimwell"), QStringLiteral("You’re up to date."), QMessageBox::Ok);
        box.setInformativeText(QStringLiteral("Brimwell %1 is the newest version.").arg(AppInfo::main().build().version));
        box.exec();
    });
    QObject::connect(&updater, &AppcastUpdater::checkFailed, &updater, [](const QString& reason) {
        QMessageBox box(
            QMessageBox::Warning, QStringLiteral("Brimwell"), QStringLiteral("Couldn’t check for updates"), QMessageBox::Ok);
        box.setInformativeText(reason);
        box.exec();
    });
}

} // namespace

int main(int argc, char** argv)
{
    // `brimwell activity …` asks the running copy and exits: nothing graphical.
    if (ActivityCommand::matches(argc, argv))
        return ActivityCommand::run(argc, argv);
    // Artwork, previews and clipboard texts come and go in buffers of
    // hundreds of kilobytes. glibc raises its mmap threshold after the first
    // such buffer is freed and then carves them from the heap, whose freed
    // pages stay resident: the program grew by megabytes an hour of track
    // changes. A fixed threshold returns every large buffer when it is freed.
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024);
    Log::installMessageHandler();
    // Chosen before the application object exists: Qt fixes its platform then.
    const SessionPlatform::Decision session = SessionPlatform::decide(argc, argv, SessionPlatform::systemEnvironment());
    if (session.outcome == SessionPlatform::Outcome::noXWayland) {
        qCCritical(lcApp,
            "Wayland session without XWayland: no X display answers (DISPLAY=%s). The island needs X11 through XWayland; "
            "install and enable XWayland, or choose a platform with QT_QPA_PLATFORM",
            session.display.isEmpty() ? "unset" : session.display.constData());
        return 1;
    }
    const bool native = session.outcome == SessionPlatform::Outcome::nativeWayland;
    std::vector<char*> arguments = session.outcome == SessionPlatform::Outcome::throughXWayland
        ? SessionPlatform::withX11Platform(argc, argv)
        : native ? SessionPlatform::withWaylandPlatform(argc, argv)
                 : std::vector<char*>(argv, argv + argc + 1);
    int appArgc = int(arguments.size()) - 1;
    if (session.withoutInputMethod)
        qputenv("QT_IM_MODULE", "none");
    QApplication app(appArgc, arguments.data());
    // Programs opened from the island keep the user's input method.
    if (session.withoutInputMethod)
        qunsetenv("QT_IM_MODULE");
    const QString renderer = Footprint::chooseRenderer();
    if (native) {
        qCInfo(lcApp, "Wayland session: the island is a layer-shell surface of the compositor's; the desktop handles media keys");
    } else if (session.outcome == SessionPlatform::Outcome::throughXWayland) {
        qCInfo(lcApp,
            "Wayland session: running through XWayland on display %s, since the island's panel, pointer tracking, key grabs "
            "and drops need X11",
            session.display.constData());
    } else if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        qCCritical(lcApp,
            "Running on the %s platform, not X11: the island is a plain window that cannot stay above other windows, follow "
            "the pointer outside itself, grab media keys or take drops. Unset QT_QPA_PLATFORM to run through XWayland",
            qUtf8Printable(QGuiApplication::platformName()));
    }
    qCInfo(lcApp, "Qt Quick renders with %s", qUtf8Printable(renderer));
    // An accessory: no main window, runs until quit, never ends on a closed window.
    app.setQuitOnLastWindowClosed(false);
    app.setApplicationName(QStringLiteral("Brimwell"));
    app.setDesktopFileName(QStringLiteral("com.larkmoor.Brimwell"));

    UserDefaults defaults(UserDefaults::standardPath());
    DBusInstanceGuard guard(AppInfo::main().identifier().value_or(QStringLiteral("com.larkmoor.Brimwell")));
    QtScreenSource screens(defaults);
    LinuxWallClockEvents wallClock(screens, QDBusConnection::systemBus());
    WallClockEvents::setSystem(&wallClock);
    // Only asked where the display server reports no final leave (X11).
    X11PointerState pointer;
    KWinBlurBehind blur;
    WindowBlur::install(&blur);
    IslandPlatform island { &screens, &pointer, [native]() -> std::unique_ptr<IslandPanel> {
                               if (native)
                                   return std::make_unique<WaylandIslandPanel>();
                               return std::make_unique<X11IslandPanel>();
                           } };
    // Platform objects outlive the delegate and the services built on them.
    MprisWatcher mediaPlayers(QDBusConnection::sessionBus(), Clock::system());
    NetworkWebLoader webLoader;
    DesktopApplicationCatalog applications;
    // XFixes on X11 and through XWayland; data control on the native path,
    // where the island never has the keyboard focus Qt's clipboard needs.
    const std::unique_ptr<SystemClipboard> systemClipboard = native
        ? std::unique_ptr<SystemClipboard>(std::make_unique<WaylandDataControlClipboard>())
        : std::make_unique<X11Clipboard>();
    // UPower where it runs or can be started; the kernel's folder otherwise.
    SysfsPowerSupplies powerSupplies(QStringLiteral("/sys/class/power_supply"));
    UPowerPowerSources powerSources(QDBusConnection::systemBus(), &powerSupplies);
    ICalendarFileStore calendarFiles(ICalendarFileStore::standardFolder(), defaults.path());
    // Evolution Data Server's module is loaded once the calendar is read: shown and allowed.
    LazyCalendarStore desktopCalendars([&defaults](QObject* parent) {
        return EdsCalendarModule::load(EdsCalendarModule::standardPath(), defaults.path(), parent);
    });
    CombinedCalendarStore calendarStore({ &desktopCalendars, &calendarFiles });
    FeatureFactories factories;
    factories.battery = [&] { return std::make_unique<BatteryService>(powerSources); };
    factories.calendar = [&] { return std::make_unique<CalendarService>(calendarStore, defaults); };
    factories.clipboard = [&] {
        return std::make_unique<ClipboardService>(
            *systemClipboard, QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation));
    };
    FreedesktopThumbnails fileThumbnails;
    DBusFileBrowser fileBrowser(QDBusConnection::sessionBus());
    KdeConnectSharing deviceSharing(QDBusConnection::sessionBus());
    factories.shelf = [&] {
        return std::make_unique<ShelfService>(
            ShelfService::Platform { fileThumbnails, fileBrowser, deviceSharing, *systemClipboard },
            QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation), QDir::homePath());
    };
    factories.nowPlaying = [&] { return std::make_unique<NowPlayingService>(mediaPlayers, applications, webLoader); };
    DBusActivityHost activityHost(QDBusConnection::sessionBus());
    factories.activities = [&] { return std::make_unique<ActivityService>(activityHost, Scheduler::system(), Clock::system()); };
    // Made with the HUD, which connects to the sound server at once.
    std::unique_ptr<PulseAudioHardware> audio;
    std::unique_ptr<SysfsBacklight> backlight;
    std::unique_ptr<X11MediaKeyGrabber> mediaKeys;
    factories.hud = [&](SettingsStore& settings) {
        audio = std::make_unique<PulseAudioHardware>();
        backlight = std::make_unique<SysfsBacklight>(QStringLiteral("/sys/class/backlight"), QDBusConnection::systemBus());
        mediaKeys = std::make_unique<X11MediaKeyGrabber>(x11Connection("media keys"));
        return std::make_unique<HUDController>(settings, *audio, *backlight, *mediaKeys);
    };
    XdgAutostartLoginItem loginItem(XdgAutostartLoginItem::standardFolder(), QCoreApplication::applicationFilePath(),
        AppInfo::main().identifier().value_or(QStringLiteral("com.larkmoor.Brimwell")));
    AppcastUpdater updates(defaults, AppInfo::main().build().buildNumber);
    presentUpdates(updates);
    // The XEmbed tray is looked for on Qt's own display, and only when Qt runs on X11.
    FreedesktopTrayHost trayHost(QDBusConnection::sessionBus(),
        QGuiApplication::platformName() == QLatin1String("xcb") ? qgetenv("DISPLAY") : QByteArray());
    AppDelegate delegate(defaults, guard, island, factories, ShellPlatform { &loginItem, &updates, &trayHost });
    SignalQuitter quitter;

    QObject::connect(&quitter, &SignalQuitter::quitRequested, &app, [] { QCoreApplication::quit(); });
    QObject::connect(&delegate, &AppDelegate::terminateRequested, &app, [] { QCoreApplication::quit(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, [&delegate] { delegate.quitting(); });

    const bool probe = qEnvironmentVariableIsSet("BRIMWELL_STARTUP_PROBE");
    QTimer::singleShot(0, &delegate, [&delegate, probe] {
        const bool launched = delegate.started();
        if (probe && launched) {
            QTimer::singleShot(0, [] {
                reportStartupProbe();
                QCoreApplication::quit();
            });
        }
    });
    return app.exec();
}
