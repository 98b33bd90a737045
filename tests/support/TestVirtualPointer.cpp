// A pointer on a wlroots compositor's seat for the tests, made through the
// virtual pointer protocol. Reads commands on stdin, one per line, and
// answers "ok" once the compositor has taken each:
//   move X Y     absolute position in the output layout
//   press        left button down
//   release      left button up
// Usage: test-virtual-pointer LAYOUT_WIDTH LAYOUT_HEIGHT (WAYLAND_DISPLAY set)

#include "wlr-virtual-pointer-unstable-v1-client-protocol.h"
// C code; the header above gives its interfaces C linkage (and their
// visibility, which g++ then reports as ignored on the definitions).
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
#include "wlr-virtual-pointer-unstable-v1-protocol.c"
#pragma GCC diagnostic pop

#include <wayland-client.h>

#include <linux/input-event-codes.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <iostream>
#include <sstream>
#include <string>

namespace {

struct Globals {
    wl_seat* seat = nullptr;
    zwlr_virtual_pointer_manager_v1* manager = nullptr;
};

void global(void* data, wl_registry* registry, uint32_t name, const char* interface, uint32_t)
{
    auto* globals = static_cast<Globals*>(data);
    if (std::strcmp(interface, wl_seat_interface.name) == 0 && !globals->seat)
        globals->seat = static_cast<wl_seat*>(wl_registry_bind(registry, name, &wl_seat_interface, 1));
    else if (std::strcmp(interface, zwlr_virtual_pointer_manager_v1_interface.name) == 0)
        globals->manager = static_cast<zwlr_virtual_pointer_manager_v1*>(
            wl_registry_bind(registry, name, &zwlr_virtual_pointer_manager_v1_interface, 1));
}

void globalRemove(void*, wl_registry*, uint32_t) { }

const wl_registry_listener registryListener { global, globalRemove };

int fail(const char* why, int status = 1)
{
    std::cerr << "test-virtual-pointer: " << why << '\n';
    return status;
}

uint32_t now()
{
    using namespace std::chrono;
    return uint32_t(duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count());
}

} // namespace

int main(int argc, char** argv)
{
    if (argc != 3)
        return fail("usage: test-virtual-pointer LAYOUT_WIDTH LAYOUT_HEIGHT", 2);
    const uint32_t width = uint32_t(std::strtoul(argv[1], nullptr, 10));
    const uint32_t height = uint32_t(std::strtoul(argv[2], nullptr, 10));
    wl_display* display = wl_display_connect(nullptr);
    if (!display)
        return fail("no Wayland display");
    Globals globals;
    wl_registry* registry = wl_display_get_registry(display);
    wl_registry_add_listener(registry, &registryListener, &globals);
    wl_display_roundtrip(display);
    if (!globals.manager)
        return fail("the compositor offers no zwlr_virtual_pointer_manager_v1");
    zwlr_virtual_pointer_v1* pointer = zwlr_virtual_pointer_manager_v1_create_virtual_pointer(globals.manager, globals.seat);
    wl_display_roundtrip(display);
    std::cout << "ready" << std::endl;

    std::string line;
    while (std::getline(std::cin, line)) {
        std::istringstream words(line);
        std::string command;
        words >> command;
        if (command == "move") {
            uint32_t x = 0;
            uint32_t y = 0;
            words >> x >> y;
            zwlr_virtual_pointer_v1_motion_absolute(pointer, now(), x, y, width, height);
        } else if (command == "press" || command == "release") {
            zwlr_virtual_pointer_v1_button(pointer, now(), BTN_LEFT,
                command == "press" ? WL_POINTER_BUTTON_STATE_PRESSED : WL_POINTER_BUTTON_STATE_RELEASED);
        } else {
            std::cerr << "test-virtual-pointer: unknown command: " << line << '\n';
            continue;
        }
        zwlr_virtual_pointer_v1_frame(pointer);
        if (wl_display_roundtrip(display) < 0)
            return fail("the compositor went away");
        std::cout << "ok" << std::endl;
    }
    zwlr_virtual_pointer_v1_destroy(pointer);
    wl_display_disconnect(display);
    return 0;
}
