// Start to first window on screen, seen from outside: the time from spawning
// a program to the X server's MapNotify of its window, for Brimwell's island
// ("Brimwell Island") and, interleaved, for a bare Qt Quick window (this
// program with --bare), on the same display in the same run.
//
//   bench_startup_map [runs]     (default 11; needs DISPLAY and a session bus,
//                                 e.g. under dbus-run-session on a private Xvfb)
//   BRIMWELL_EXECUTABLE=<program> (default the build's bin/brimwell)
#include <QGuiApplication>
#include <QQuickWindow>

#include <xcb/xcb.h>

#include "BenchStats.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

namespace {

int bareWindow(int argc, char** argv)
{
    // The least a Qt Quick window can be: its scene graph, no QML.
    QGuiApplication app(argc, argv);
    QQuickWindow window;
    window.setColor(Qt::black);
    window.resize(300, 32);
    window.show();
    return app.exec();
}

std::string windowName(xcb_connection_t* c, xcb_window_t window)
{
    xcb_get_property_reply_t* reply
        = xcb_get_property_reply(c, xcb_get_property(c, false, window, XCB_ATOM_WM_NAME, XCB_ATOM_ANY, 0, 64), nullptr);
    std::string name;
    if (reply)
        name.assign(static_cast<const char*>(xcb_get_property_value(reply)), size_t(xcb_get_property_value_length(reply)));
    std::free(reply);
    return name;
}

/// Spawns `args`, waits for the first top-level map after the spawn (of a
/// window named `name`, when given) and returns the milliseconds it took; the
/// program is then stopped. -1 when no such window showed within 20 s.
double timeToMap(xcb_connection_t* c, std::vector<std::string> args, const std::string& name = {})
{
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    pid_t pid = 0;
    const long long started = monotonicNs();
    if (posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    posix_spawn_file_actions_destroy(&actions);
    double millis = -1;
    const long long deadline = started + 20'000'000'000LL;
    while (millis < 0 && monotonicNs() < deadline) {
        pollfd fd { xcb_get_file_descriptor(c), POLLIN, 0 };
        poll(&fd, 1, 100);
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == XCB_MAP_NOTIFY && millis < 0) {
                const long long mapped = monotonicNs();
                const auto* notice = reinterpret_cast<xcb_map_notify_event_t*>(event);
                if (name.empty() || windowName(c, notice->window) == name)
                    millis = double(mapped - started) / 1e6;
            }
            std::free(event);
        }
    }
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    // Unmaps and destroys of the stopped program are not the next one's map.
    std::free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(c))
        std::free(event);
    return millis;
}

} // namespace

int main(int argc, char** argv)
{
    if (argc > 1 && std::strcmp(argv[1], "--bare") == 0)
        return bareWindow(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 11;
    const char* exe = std::getenv("BRIMWELL_EXECUTABLE") ? std::getenv("BRIMWELL_EXECUTABLE") : BRIMWELL_EXECUTABLE;
    setenv("QT_QPA_PLATFORM", "xcb", 1);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "bench_startup_map needs an X display (DISPLAY)\n");
        return 1;
    }
    const uint32_t events = XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY;
    xcb_change_window_attributes(c, xcb_setup_roots_iterator(xcb_get_setup(c)).data->root, XCB_CW_EVENT_MASK, &events);
    xcb_flush(c);

    std::vector<double> brimwell;
    std::vector<double> bare;
    for (int i = 0; i < runs; ++i) {
        const double b = timeToMap(c, { exe }, "Brimwell Island");
        const double r = timeToMap(c, { argv[0], "--bare" });
        if (b < 0 || r < 0) {
            std::fprintf(stderr, "run %d: no window within 20 s\n", i);
            return 1;
        }
        brimwell.push_back(b);
        bare.push_back(r);
    }
    const double b = median(brimwell);
    const double r = median(bare);
    std::printf("start to first map, median of %d interleaved runs: Brimwell %.1f ms, bare Qt Quick window %.1f ms, "
                "ratio %.2fx (target <= 1.30x)\n",
        runs, b, r, b / r);
    xcb_disconnect(c);
    return 0;
}
