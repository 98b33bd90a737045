// From a copy by another X client to the entry published in the history,
// over 50 copies; and the GUI thread's CPU time per noticed change for a
// 90,000-character copy (kept) and a 1 MB one (over the bound, skipped).
// Run by bench/clipboard/copy, which starts a private Xvfb for it.
#include "../BenchStats.h"
#include "ClipboardService.h"
#include "X11Clipboard.h"
#include "X11SelectionOwner.h"

#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QTimer>

#include <cstdio>
#include <ctime>
#include <memory>
#include <vector>

namespace {

double threadCpuMs()
{
    timespec ts {};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QTemporaryDir home;
    X11Clipboard systemClipboard;
    ClipboardService service(systemClipboard, home.path());
    service.start();

    // Publishing counts as seen once the handler below runs.
    bool published = false;
    double cpuAtCopy = 0;
    double cpuPerChange = 0;
    QObject::connect(&service, &ClipboardService::itemsChanged, [&] {
        published = true;
        cpuPerChange = threadCpuMs() - cpuAtCopy;
    });
    const auto copy = [&](const QByteArray& text, int boundMs) {
        published = false;
        cpuAtCopy = threadCpuMs();
        QElapsedTimer timer;
        timer.start();
        auto owner
            = std::make_unique<X11SelectionOwner>(qgetenv("DISPLAY"), QMap<QByteArray, QByteArray> { { "UTF8_STRING", text } });
        // Sleeps in the event loop until the entry is published or the bound passes.
        QEventLoop loop;
        QObject::connect(&service, &ClipboardService::itemsChanged, &loop, &QEventLoop::quit);
        QTimer::singleShot(boundMs, &loop, &QEventLoop::quit);
        if (!published)
            loop.exec();
        const double ms = double(timer.nsecsElapsed()) / 1e6;
        return std::make_pair(published, ms);
    };

    std::vector<double> latencies;
    for (int i = 0; i < 50; ++i) {
        const auto [ok, ms] = copy(QByteArray("copy number ") + QByteArray::number(i), 3000);
        if (!ok) {
            std::fprintf(stderr, "copy %d was not published within 3 s\n", i);
            return 1;
        }
        latencies.push_back(ms);
    }
    std::printf("copy to entry published, 50 copies: median %.1f ms, p95 %.1f ms (the history looks on a 0.75 s beat)\n",
        percentile(latencies, 0.5), percentile(latencies, 0.95));

    const auto [keptOk, keptMs] = copy(QByteArray(90'000, 'k'), 5000);
    std::printf("90,000-character copy: GUI-thread CPU %.2f ms for the change (published: %s, after %.0f ms)\n", cpuPerChange,
        keptOk ? "yes" : "no", keptMs);

    // Over the bound: nothing is published, so the GUI thread's whole CPU
    // time over the wait is the change's cost.
    cpuAtCopy = threadCpuMs();
    const double start = cpuAtCopy;
    const auto [bigOk, bigMs] = copy(QByteArray(1'000'000, 'm'), 2500);
    std::printf("1 MB copy: not kept (%s); GUI-thread CPU %.2f ms over %.0f ms\n", bigOk ? "wrongly published" : "skipped",
        threadCpuMs() - start, bigMs);
    service.waitForSaves();
    return 0;
}
