# The island as a native Wayland client: a layer-shell surface on its own
# connection, with the clipboard through wlr-data-control. Protocol code is
# generated from the XML at build time (wlroots' protocols ship in the tree,
# the rest come from Debian's wayland-protocols).
pkg_check_modules(WAYLAND REQUIRED IMPORTED_TARGET wayland-client wayland-cursor)
pkg_get_variable(WAYLAND_PROTOCOLS_DIR wayland-protocols pkgdatadir)
if(NOT WAYLAND_PROTOCOLS_DIR)
  message(FATAL_ERROR "wayland-protocols is not installed")
endif()
brimwell_wayland_protocols(BRIMWELL_WAYLAND_GENERATED
  ${CMAKE_CURRENT_SOURCE_DIR}/linux/wayland/wlr-layer-shell-unstable-v1.xml
  ${CMAKE_CURRENT_SOURCE_DIR}/linux/wayland/wlr-data-control-unstable-v1.xml
  ${WAYLAND_PROTOCOLS_DIR}/stable/xdg-shell/xdg-shell.xml
  ${WAYLAND_PROTOCOLS_DIR}/unstable/xdg-output/xdg-output-unstable-v1.xml
  ${WAYLAND_PROTOCOLS_DIR}/stable/viewporter/viewporter.xml
  ${WAYLAND_PROTOCOLS_DIR}/staging/fractional-scale/fractional-scale-v1.xml
)
target_sources(brimwell_platform PRIVATE
  ${BRIMWELL_WAYLAND_GENERATED}
  linux/wayland/WaylandProtocols.cpp
  linux/WaylandIslandPanel.cpp linux/WaylandIslandPanel.h
  linux/WaylandDataControlClipboard.cpp linux/WaylandDataControlClipboard.h
)
target_include_directories(brimwell_platform PRIVATE ${CMAKE_CURRENT_BINARY_DIR}/wayland)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::WAYLAND)
