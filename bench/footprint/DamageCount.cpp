// Counts the frames X windows draw, from outside, through the DAMAGE
// extension: every frame a Qt Quick window presents (a backing-store flush
// or a buffer swap) damages the window. Rectangles reported within 3 ms of
// each other belong to the same frame.
//
//   bench_damage_count SECONDS WINDOW...      (window ids, decimal or 0x hex)
//
// Prints one line per window:
//   window 0x… frames N fps F area W×H at X,Y top RECT×COUNT …
// where the area bounds everything damaged and "top" lists the rectangles
// damaged most often: what redraws.

#include <xcb/damage.h>
#include <xcb/xcb.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <map>
#include <memory>
#include <poll.h>
#include <string>
#include <tuple>
#include <vector>

namespace {

struct Rect {
    int x = 0, y = 0, w = 0, h = 0;
    bool operator<(const Rect& o) const { return std::tie(x, y, w, h) < std::tie(o.x, o.y, o.w, o.h); }
};

struct Watch {
    xcb_window_t window = 0;
    xcb_damage_damage_t damage = 0;
    long frames = 0;
    xcb_timestamp_t lastStamp = 0;
    bool seen = false;
    int x0 = 1 << 30, y0 = 1 << 30, x1 = -1, y1 = -1;
    std::map<Rect, long> rects;
};

} // namespace

int main(int argc, char** argv)
{
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s SECONDS WINDOW...\n", argv[0]);
        return 2;
    }
    const double seconds = std::atof(argv[1]);
    xcb_connection_t* c = xcb_connect(nullptr, nullptr);
    if (xcb_connection_has_error(c)) {
        std::fprintf(stderr, "cannot open the display\n");
        return 1;
    }
    const xcb_query_extension_reply_t* ext = xcb_get_extension_data(c, &xcb_damage_id);
    if (!ext || !ext->present) {
        std::fprintf(stderr, "the X server has no DAMAGE extension\n");
        return 1;
    }
    free(xcb_damage_query_version_reply(c, xcb_damage_query_version(c, 1, 1), nullptr));

    std::vector<Watch> watches;
    for (int i = 2; i < argc; ++i) {
        Watch w;
        w.window = xcb_window_t(std::strtoul(argv[i], nullptr, 0));
        w.damage = xcb_generate_id(c);
        xcb_void_cookie_t cookie = xcb_damage_create_checked(c, w.damage, w.window, XCB_DAMAGE_REPORT_LEVEL_RAW_RECTANGLES);
        if (xcb_generic_error_t* error = xcb_request_check(c, cookie)) {
            std::fprintf(stderr, "cannot watch window %s (error %d)\n", argv[i], error->error_code);
            free(error);
            return 1;
        }
        watches.push_back(std::move(w));
    }
    // A new damage object reports the whole window once: drop that.
    free(xcb_get_input_focus_reply(c, xcb_get_input_focus(c), nullptr));
    while (xcb_generic_event_t* event = xcb_poll_for_event(c))
        free(event);

    const auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    const uint8_t notify = ext->first_event + XCB_DAMAGE_NOTIFY;
    pollfd pfd { xcb_get_file_descriptor(c), POLLIN, 0 };
    for (;;) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(end - std::chrono::steady_clock::now());
        if (left.count() <= 0)
            break;
        poll(&pfd, 1, int(left.count()));
        while (xcb_generic_event_t* event = xcb_poll_for_event(c)) {
            if ((event->response_type & 0x7f) == notify) {
                auto* n = reinterpret_cast<xcb_damage_notify_event_t*>(event);
                for (Watch& w : watches) {
                    if (w.damage != n->damage)
                        continue;
                    if (!w.seen || n->timestamp - w.lastStamp > 3)
                        ++w.frames;
                    w.seen = true;
                    w.lastStamp = n->timestamp;
                    const Rect r { n->area.x, n->area.y, n->area.width, n->area.height };
                    ++w.rects[r];
                    w.x0 = std::min(w.x0, r.x);
                    w.y0 = std::min(w.y0, r.y);
                    w.x1 = std::max(w.x1, r.x + r.w);
                    w.y1 = std::max(w.y1, r.y + r.h);
                }
            }
            free(event);
        }
        if (xcb_connection_has_error(c))
            break;
    }

    for (const Watch& w : watches) {
        std::printf("window 0x%x frames %ld fps %.1f", w.window, w.frames, double(w.frames) / seconds);
        if (w.x1 >= 0) {
            std::printf(" area %dx%d at %d,%d top", w.x1 - w.x0, w.y1 - w.y0, w.x0, w.y0);
            std::vector<std::pair<long, Rect>> byCount;
            for (const auto& [r, n] : w.rects)
                byCount.emplace_back(n, r);
            std::sort(byCount.begin(), byCount.end(), [](const auto& a, const auto& b) { return a.first > b.first; });
            for (size_t i = 0; i < std::min<size_t>(4, byCount.size()); ++i) {
                const Rect& r = byCount[i].second;
                std::printf(" %dx%d+%d+%d*%ld", r.w, r.h, r.x, r.y, byCount[i].first);
            }
        }
        std::printf("\n");
    }
    xcb_disconnect(c);
    return 0;
}
