#include "AppBundle.h"
#include "AppDelegate.h"
#include "AppleScriptMediaClient.h"
#include "DesktopApplicationCatalog.h"
#include "MediaRemoteAdapterClient.h"
#include "MprisScriptedPlayers.h"
#include "NetworkWebLoader.h"
#include "NowPlayingService.h"
#include "DBusInstanceGuard.h"
#include "LinuxWallClockEvents.h"
#include "QtScreenSource.h"
#include "SignalQuitter.h"
#include "UserDefaults.h"
#include "X11IslandPanel.h"
#include "X11PointerState.h"

#include <QApplication>
#include <QFile>
#include <QTimer>

#include <cstdio>
#include <ctime>

namespace {

// For bench/startup: report when the event loop runs, and the resident size.
void reportStartupProbe()
{
    timespec ts{};
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

} // namespace

int main(int argc, char** argv)
{
    QApplication app(argc, argv);
    // An accessory: no main window, runs until quit, never ends on a closed window.
    app.setQuitOnLastWindowClosed(false);
    app.setApplicationName(QStringLiteral("Brimwell"));
    app.setDesktopFileName(QStringLiteral("com.larkmoor.Brimwell"));

    UserDefaults defaults(UserDefaults::standardPath());
    DBusInstanceGuard guard(AppBundle::main().identifier().value_or(QStringLiteral("com.larkmoor.Brimwell")));
    QtScreenSource screens(defaults);
    LinuxWallClockEvents wallClock(screens);
    WallClockEvents::setSystem(&wallClock);
    X11PointerState pointer;
    IslandPlatform island{&screens, &pointer, [] { return std::make_unique<X11IslandPanel>(); }};
    // Platform objects outlive the delegate and the services built on them.
    MprisScriptedPlayers scriptedPlayers;
    NetworkWebLoader webLoader;
    DesktopApplicationCatalog applications;
    FeatureFactories factories;
    factories.nowPlaying = [&] {
        return std::make_unique<NowPlayingService>(std::make_unique<MediaRemoteAdapterClient>(AppBundle::main()),
            std::make_unique<AppleScriptMediaClient>(scriptedPlayers, scriptedPlayers, scriptedPlayers, webLoader),
            applications);
    };
    AppDelegate delegate(defaults, guard, island, factories);
    SignalQuitter quitter;

    QObject::connect(&quitter, &SignalQuitter::quitRequested, &app, [] { QCoreApplication::quit(); });
    QObject::connect(&delegate, &AppDelegate::terminateRequested, &app, [] { QCoreApplication::quit(); });
    QObject::connect(&app, &QCoreApplication::aboutToQuit, &delegate, [&delegate] { delegate.applicationWillTerminate(); });

    const bool probe = qEnvironmentVariableIsSet("BRIMWELL_STARTUP_PROBE");
    QTimer::singleShot(0, &delegate, [&delegate, probe] {
        const bool launched = delegate.applicationDidFinishLaunching();
        if (probe && launched) {
            QTimer::singleShot(0, [] {
                reportStartupProbe();
                QCoreApplication::quit();
            });
        }
    });
    return app.exec();
}
