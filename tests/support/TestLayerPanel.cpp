// A top panel as a desktop's bar is one: a light grey layer surface across
// the top of the output that reserves its height (an exclusive zone).
// Prints "ready" once the compositor shows it, and lives until stdin closes.
// Usage: test-layer-panel HEIGHT (WAYLAND_DISPLAY set)

#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"
// C code; the headers above give its interfaces C linkage (and their
// visibility, which g++ then reports as ignored on the definitions).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
#include "wlr-layer-shell-unstable-v1-protocol.c"
#include "xdg-shell-protocol.c"
#pragma GCC diagnostic pop

#include <wayland-client.h>

#include <poll.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

struct Panel {
    wl_compositor* compositor = nullptr;
    wl_shm* shm = nullptr;
    zwlr_layer_shell_v1* shell = nullptr;
    wl_surface* surface = nullptr;
    uint32_t width = 0;
    int height = 0;
    bool configured = false;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    auto* panel = static_cast<Panel*>(data);
    if (std::strcmp(interface, wl_compositor_interface.name) == 0)
        panel->compositor = static_cast<wl_compositor*>(wl_registry_bind(registry, name, &wl_compositor_interface, 4));
    else if (std::strcmp(interface, wl_shm_interface.name) == 0)
        panel->shm = static_cast<wl_shm*>(wl_registry_bind(registry, name, &wl_shm_interface, 1));
    else if (std::strcmp(interface, zwlr_layer_shell_v1_interface.name) == 0)
        panel->shell = static_cast<zwlr_layer_shell_v1*>(wl_registry_bind(registry, name, &zwlr_layer_shell_v1_interface, 1));
}

void globalRemove(void*, wl_registry*, uint32_t) { }

void configure(void* data, zwlr_layer_surface_v1* layer, uint32_t serial, uint32_t width, uint32_t)
{
    auto* panel = static_cast<Panel*>(data);
    zwlr_layer_surface_v1_ack_configure(layer, serial);
    panel->width = width;
    panel->configured = true;
}

void closed(void*, zwlr_layer_surface_v1*)
{
    std::exit(0);
}

} // namespace

int main(int argc, char** argv)
{
    Panel panel;
    panel.height = argc > 1 ? std::atoi(argv[1]) : 30;
    wl_display* display = wl_display_connect(nullptr);
    if (!display) {
        std::fprintf(stderr, "no Wayland display\n");
        return 1;
    }
    wl_registry* registry = wl_display_get_registry(display);
    const wl_registry_listener registryListener { global, globalRemove };
    wl_registry_add_listener(registry, &registryListener, &panel);
    wl_display_roundtrip(display);
    if (!panel.compositor || !panel.shm || !panel.shell) {
        std::fprintf(stderr, "no layer shell\n");
        return 1;
    }
    panel.surface = wl_compositor_create_surface(panel.compositor);
    zwlr_layer_surface_v1* layer
        = zwlr_layer_shell_v1_get_layer_surface(panel.shell, panel.surface, nullptr, ZWLR_LAYER_SHELL_V1_LAYER_TOP, "test-panel");
    const zwlr_layer_surface_v1_listener layerListener { configure, closed };
    zwlr_layer_surface_v1_add_listener(layer, &layerListener, &panel);
    zwlr_layer_surface_v1_set_anchor(
        layer, ZWLR_LAYER_SURFACE_V1_ANCHOR_TOP | ZWLR_LAYER_SURFACE_V1_ANCHOR_LEFT | ZWLR_LAYER_SURFACE_V1_ANCHOR_RIGHT);
    zwlr_layer_surface_v1_set_size(layer, 0, uint32_t(panel.height));
    zwlr_layer_surface_v1_set_exclusive_zone(layer, panel.height);
    wl_surface_commit(panel.surface);
    while (!panel.configured && wl_display_dispatch(display) >= 0) { }
    if (!panel.configured || panel.width == 0)
        return 1;

    const int stride = int(panel.width) * 4;
    const size_t bytes = size_t(stride) * size_t(panel.height);
    const int fd = memfd_create("test-panel", MFD_CLOEXEC);
    if (fd < 0 || ftruncate(fd, off_t(bytes)) != 0)
        return 1;
    auto* pixels = static_cast<uint32_t*>(mmap(nullptr, bytes, PROT_READ | PROT_WRITE, MAP_SHARED, fd, 0));
    for (size_t i = 0; i < bytes / 4; ++i)
        pixels[i] = 0xffc0c0c0;
    wl_shm_pool* pool = wl_shm_create_pool(panel.shm, fd, int(bytes));
    wl_buffer* buffer = wl_shm_pool_create_buffer(pool, 0, int(panel.width), panel.height, stride, WL_SHM_FORMAT_ARGB8888);
    wl_surface_attach(panel.surface, buffer, 0, 0);
    wl_surface_damage_buffer(panel.surface, 0, 0, int(panel.width), panel.height);
    wl_surface_commit(panel.surface);
    wl_display_roundtrip(display);
    std::printf("ready\n");
    std::fflush(stdout);

    pollfd fds[2] = { { wl_display_get_fd(display), POLLIN, 0 }, { STDIN_FILENO, POLLIN, 0 } };
    for (;;) {
        wl_display_flush(display);
        if (poll(fds, 2, -1) < 0)
            return 1;
        if (fds[1].revents)
            return 0;
        if (fds[0].revents && wl_display_dispatch(display) < 0)
            return 1;
    }
}
