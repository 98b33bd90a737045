// Frame times of the island's views while the island opens and closes, and
// what the closed island costs at rest. Runs the real views in an X window
// with the view model's stand-in from tests/fakes (a pill on a 1280-wide
// screen), in the panel sizes the window controller sets.
//
// Usage (needs DISPLAY; the software renderer unless QT_QUICK_BACKEND is set):
//   bench_island_views frames [cycles=10]   open/close cycles, frame times
//   bench_island_views idle [seconds=60]    frames drawn and CPU used at rest
#include "../BenchLoop.h"
#include "../BenchStats.h"
#include "FakeIslandActions.h"
#include "IslandLayout.h"
#include "IslandViewModel.h"
#include "IslandViews.h"
#include "SettingsStore.h"
#include "TestScreens.h"
#include "UserDefaults.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QQuickItem>
#include <QQuickView>
#include <QTemporaryDir>
#include <QTimer>

#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

namespace {

double cpuSeconds()
{
    rusage usage {};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

struct Harness {
    QTemporaryDir dir;
    UserDefaults defaults { dir.filePath(QStringLiteral("settings.ini")) };
    SettingsStore settings { defaults };
    IslandViewModel model;
    // A pill on a 1280 x 800 screen without a panel, as under a bare Xvfb.
    IslandLayout layout { TestScreens::plain(QStringLiteral("bench"), QRect(0, 0, 1280, 800)), 0 };
    FakeIslandActions actions;
    QQuickView view;

    Harness()
    {
        IslandViews::initialize();
        model.setLayout(layout);
        view.setFlags(Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::X11BypassWindowManagerHint);
        view.setColor(QColor(96, 112, 136));
        view.setResizeMode(QQuickView::SizeRootObjectToView);
        view.setInitialProperties({ { QStringLiteral("viewModel"), QVariant::fromValue<QObject*>(&model) },
            { QStringLiteral("settings"), QVariant::fromValue<QObject*>(&settings) },
            { QStringLiteral("actions"), QVariant::fromValue<QObject*>(&actions.object) } });
        view.setSource(IslandViews::rootViewUrl());
        view.setGeometry(QRect(QPoint(356, 0), layout.closedPanelFrame().size()));
        view.show();
    }

    bool settled() const { return view.rootObject() && view.rootObject()->property("isSettled").toBool(); }
};

int frames(int cycles)
{
    Harness h;
    if (!spinUntil([&] { return h.view.isExposed(); }, 5000)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    spinFor(300);

    // Work per frame: from the start of the frame (polish and sync) to the
    // buffer swap. Interval: between swaps, what the eye sees.
    QElapsedTimer clock;
    clock.start();
    bool measuring = false;
    qint64 frameStart = -1;
    qint64 lastSwap = -1;
    std::vector<double> work;
    std::vector<double> intervals;
    QObject::connect(
        &h.view, &QQuickWindow::beforeSynchronizing, &h.view, [&] { frameStart = clock.nsecsElapsed(); }, Qt::DirectConnection);
    QObject::connect(
        &h.view, &QQuickWindow::frameSwapped, &h.view,
        [&] {
            const qint64 now = clock.nsecsElapsed();
            if (measuring) {
                if (frameStart >= 0)
                    work.push_back(double(now - frameStart) / 1e6);
                if (lastSwap >= 0)
                    intervals.push_back(double(now - lastSwap) / 1e6);
            }
            lastSwap = now;
        },
        Qt::DirectConnection);

    const QSize open = h.layout.openPanelFrame().size();
    const QSize closed = h.layout.closedPanelFrame().size();
    for (int i = 0; i < cycles; ++i) {
        // As the controller does: the panel grows first, then the state
        // changes; on closing the panel shrinks after the animation.
        h.view.setGeometry(QRect(QPoint(356, 0), open));
        spinFor(100);
        lastSwap = frameStart = -1;
        measuring = true;
        h.model.setState(IslandState::expanded);
        spinUntil([&] { return h.settled(); }, 5000);
        spinFor(50);
        measuring = false;
        spinFor(200);
        lastSwap = frameStart = -1;
        measuring = true;
        h.model.setState(IslandState::compact);
        spinUntil([&] { return h.settled(); }, 5000);
        spinFor(50);
        measuring = false;
        h.view.setGeometry(QRect(QPoint(356, 0), closed));
        spinFor(200);
    }

    const auto dropped = std::count_if(intervals.begin(), intervals.end(), [](double ms) { return ms > 25; });
    std::printf("renderer %s, %d open/close cycles, %zu frames\n",
        qPrintable(QQuickWindow::sceneGraphBackend().isEmpty() ? QStringLiteral("default") : QQuickWindow::sceneGraphBackend()),
        cycles, work.size());
    std::printf("frame time (sync to swap): median %.2f ms, p95 %.2f ms, max %.2f ms\n", percentile(work, 0.5),
        percentile(work, 0.95), percentile(work, 1));
    std::printf("frame interval: median %.2f ms, p95 %.2f ms, frames later than 25 ms: %ld\n", percentile(intervals, 0.5),
        percentile(intervals, 0.95), long(dropped));
    return 0;
}

int idle(int seconds)
{
    Harness h;
    if (!spinUntil([&] { return h.view.isExposed(); }, 5000)) {
        std::fprintf(stderr, "the window was never shown\n");
        return 1;
    }
    spinFor(1000);
    int swaps = 0;
    QElapsedTimer since;
    since.start();
    QObject::connect(
        &h.view, &QQuickWindow::frameSwapped, &h.view,
        [&] {
            ++swaps;
            if (qEnvironmentVariableIsSet("BRIMWELL_BENCH_VERBOSE"))
                std::printf("frame at %.3f s\n", double(since.elapsed()) / 1000);
        },
        Qt::DirectConnection);
    const double cpuBefore = cpuSeconds();
    QElapsedTimer wall;
    wall.start();
    QTimer stop;
    stop.setSingleShot(true);
    QObject::connect(&stop, &QTimer::timeout, qApp, &QCoreApplication::quit);
    stop.start(seconds * 1000);
    QCoreApplication::exec();
    const double cpu = cpuSeconds() - cpuBefore;
    std::printf("closed island at rest for %.1f s: %d frames drawn (the clock redraws once a minute), %.3f CPU seconds\n",
        double(wall.elapsed()) / 1000, swaps, cpu);
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QUICK_BACKEND"))
        qputenv("QT_QUICK_BACKEND", "software");
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    const char* mode = argc > 1 ? argv[1] : "frames";
    const int amount = argc > 2 ? std::max(1, std::atoi(argv[2])) : 0;
    if (std::strcmp(mode, "idle") == 0)
        return idle(amount ? amount : 60);
    if (std::strcmp(mode, "frames") == 0)
        return frames(amount ? amount : 10);
    std::fprintf(stderr, "usage: %s frames [cycles] | idle [seconds]\n", argv[0]);
    return 2;
}
