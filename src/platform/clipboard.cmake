# The clipboard: the interface here, the X11 CLIPBOARD selection in linux/.
pkg_check_modules(XCB_CLIPBOARD REQUIRED IMPORTED_TARGET xcb xcb-xfixes)
target_sources(brimwell_platform PRIVATE
  SystemClipboard.h
  linux/X11Clipboard.cpp linux/X11Clipboard.h
)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::XCB_CLIPBOARD)
