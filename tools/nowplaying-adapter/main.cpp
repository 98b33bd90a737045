// The Now Playing adapter: reads MPRIS players on the session bus and
// writes the program's JSON-lines stream, or performs one transport command.
//
//   nowplaying-adapter stream [--micros] [--debounce=MS]
//   nowplaying-adapter send 2|4|5
//   nowplaying-adapter seek MICROSECONDS

#include "OneShotCommand.h"
#include "StreamSession.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusError>

#include <csignal>
#include <cstdio>
#include <malloc.h>
#include <sys/prctl.h>
#include <unistd.h>

namespace {

int usage()
{
    std::fprintf(stderr, "usage: nowplaying-adapter stream [--micros] [--debounce=MS] | send 2|4|5 | seek MICROSECONDS\n");
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    // Artwork passes through in buffers of hundreds of kilobytes; with a
    // fixed threshold glibc returns them when freed instead of keeping the
    // heap pages (see the program's main()).
    mallopt(M_MMAP_THRESHOLD, 64 * 1024);
    mallopt(M_TRIM_THRESHOLD, 64 * 1024);
    QCoreApplication app(argc, argv);
    const QStringList args = app.arguments().mid(1);
    if (args.isEmpty())
        return usage();

    const QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        std::fprintf(stderr, "nowplaying-adapter: no session bus: %s\n", qUtf8Printable(bus.lastError().message()));
        return 1;
    }

    const QString mode = args.first();
    if (mode == QLatin1String("send") && args.size() == 2)
        return OneShotCommand::send(bus, args[1]);
    if (mode == QLatin1String("seek") && args.size() == 2)
        return OneShotCommand::seek(bus, args[1]);
    if (mode != QLatin1String("stream"))
        return usage();
    // The stream writes only when something changes, so it would not notice
    // a parent that died without stopping it: end with the parent instead.
    prctl(PR_SET_PDEATHSIG, SIGTERM);
    if (getppid() == 1)
        return 0;

    int debounceMs = 0;
    for (const QString& option : args.mid(1)) {
        if (option.startsWith(QLatin1String("--debounce="))) {
            bool ok = false;
            debounceMs = option.mid(11).toInt(&ok);
            if (!ok || debounceMs < 0)
                return usage();
        } else if (option != QLatin1String("--micros")) {
            // Times are always written in microseconds.
            return usage();
        }
    }
    StreamSession session(bus, debounceMs, stdout);
    session.start();
    return app.exec();
}
