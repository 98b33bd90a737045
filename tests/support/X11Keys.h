#pragma once

#include <xcb/xcb.h>

#include <cstdlib>

/// The first keycode that types `keysym` on the server of `c`, or 0.
inline xcb_keycode_t keycodeOf(xcb_connection_t* c, xcb_keysym_t keysym)
{
    const xcb_setup_t* setup = xcb_get_setup(c);
    const int count = setup->max_keycode - setup->min_keycode + 1;
    auto* mapping = xcb_get_keyboard_mapping_reply(c, xcb_get_keyboard_mapping(c, setup->min_keycode, uint8_t(count)), nullptr);
    xcb_keycode_t found = 0;
    const xcb_keysym_t* syms = mapping ? xcb_get_keyboard_mapping_keysyms(mapping) : nullptr;
    for (int i = 0; mapping && i < count * mapping->keysyms_per_keycode && !found; ++i) {
        if (syms[i] == keysym)
            found = xcb_keycode_t(setup->min_keycode + i / mapping->keysyms_per_keycode);
    }
    std::free(mapping);
    return found;
}
