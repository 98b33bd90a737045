# The clipboard: the interface here, the X11 CLIPBOARD selection in linux/.
pkg_check_modules(XCB_CLIPBOARD REQUIRED IMPORTED_TARGET xcb xcb-xfixes)
target_sources(brimwell_platform PRIVATE
  Pasteboard.h
  linux/X11Pasteboard.cpp linux/X11Pasteboard.h
)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::XCB_CLIPBOARD)
