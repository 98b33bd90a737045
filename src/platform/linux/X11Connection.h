#pragma once

#include <xcb/xcb.h>

/// The application's X connection, or null when Qt runs on another platform
/// (a user who forced Wayland). The first miss for each `purpose` is logged,
/// so the degraded feature is named once rather than failing silently.
xcb_connection_t* x11Connection(const char* purpose);
