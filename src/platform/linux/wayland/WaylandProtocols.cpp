// The protocols' interface tables, generated as C by wayland-scanner. Each
// header gives its interfaces C linkage (and their visibility, which g++ then
// reports as ignored on the definitions).
#include "fractional-scale-v1-client-protocol.h"
#include "viewporter-client-protocol.h"
#include "wlr-data-control-unstable-v1-client-protocol.h"
#include "wlr-layer-shell-unstable-v1-client-protocol.h"
#include "xdg-output-unstable-v1-client-protocol.h"
#include "xdg-shell-client-protocol.h"

#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wattributes"
#pragma GCC diagnostic ignored "-Wpedantic"
#include "fractional-scale-v1-protocol.c"
#include "viewporter-protocol.c"
#include "wlr-data-control-unstable-v1-protocol.c"
#include "wlr-layer-shell-unstable-v1-protocol.c"
#include "xdg-output-unstable-v1-protocol.c"
#include "xdg-shell-protocol.c"
#pragma GCC diagnostic pop
