# Screens, pointer, the island panel and blur behind it: interfaces here, X11
# implementations in linux/.
pkg_check_modules(XCB REQUIRED IMPORTED_TARGET xcb xcb-shape)
target_sources(brimwell_platform PRIVATE
  IslandPanel.h
  IslandPanelEvents.h
  PointerState.h
  ScreenSource.h
  linux/KWinBlurBehind.cpp linux/KWinBlurBehind.h
  linux/QtScreenSource.cpp linux/QtScreenSource.h
  linux/SessionPlatform.cpp linux/SessionPlatform.h
  linux/X11Connection.cpp linux/X11Connection.h
  linux/X11IslandPanel.cpp linux/X11IslandPanel.h
  linux/X11PointerState.cpp linux/X11PointerState.h
  linux/X11ReaderThread.cpp linux/X11ReaderThread.h
  linux/X11TopPanels.cpp linux/X11TopPanels.h
)
set_source_files_properties(linux/org.freedesktop.login1.Manager.xml PROPERTIES CLASSNAME Login1Manager NO_NAMESPACE ON)
qt_add_dbus_interface(BRIMWELL_LOGIN1_IFACE linux/org.freedesktop.login1.Manager.xml login1_manager_interface)
target_sources(brimwell_platform PRIVATE ${BRIMWELL_LOGIN1_IFACE})
target_link_libraries(brimwell_platform PUBLIC Qt6::Quick PRIVATE PkgConfig::XCB)
