// Measures the time from process start to a running event loop with every
// service constructed, and the resident memory at that point.
// Usage: bench_startup [runs] (default 9); prints the median of each.
#include "BenchStats.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

extern char** environ;

int main(int argc, char** argv)
{
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 9;
    const char* exe = std::getenv("BRIMWELL_EXECUTABLE") ? std::getenv("BRIMWELL_EXECUTABLE") : BRIMWELL_EXECUTABLE;
    setenv("BRIMWELL_STARTUP_PROBE", "1", 1);
    setenv("BRIMWELL_LOG", "stderr", 1);
    if (!std::getenv("DISPLAY") && !std::getenv("QT_QPA_PLATFORM"))
        setenv("QT_QPA_PLATFORM", "offscreen", 1);

    std::vector<double> millis;
    std::vector<long> rss;
    for (int i = 0; i < runs; ++i) {
        int out[2];
        if (pipe(out) != 0)
            return 1;
        posix_spawn_file_actions_t actions;
        posix_spawn_file_actions_init(&actions);
        posix_spawn_file_actions_adddup2(&actions, out[1], 1);
        posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", 0, 0);
        char* args[] = { const_cast<char*>(exe), nullptr };
        pid_t pid = 0;
        const long long started = monotonicNs();
        if (posix_spawn(&pid, exe, &actions, nullptr, args, environ) != 0) {
            std::fprintf(stderr, "cannot start %s\n", exe);
            return 1;
        }
        close(out[1]);
        std::string text;
        char buf[512];
        ssize_t n;
        while ((n = read(out[0], buf, sizeof buf)) > 0)
            text.append(buf, size_t(n));
        close(out[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        posix_spawn_file_actions_destroy(&actions);
        long long loopNs = 0;
        long rssKb = 0;
        const auto at = text.find("startup-probe ");
        if (at == std::string::npos
            || std::sscanf(text.c_str() + at, "startup-probe monotonic_ns=%lld rss_kb=%ld", &loopNs, &rssKb) != 2) {
            std::fprintf(stderr, "run %d: no probe line (is another copy running?)\n", i);
            return 1;
        }
        millis.push_back(double(loopNs - started) / 1e6);
        rss.push_back(rssKb);
    }
    std::printf("startup: runs=%d median_ms=%.1f min_ms=%.1f max_ms=%.1f median_rss_kb=%ld\n", runs, median(millis),
        *std::min_element(millis.begin(), millis.end()), *std::max_element(millis.begin(), millis.end()), median(rss));
    return 0;
}
