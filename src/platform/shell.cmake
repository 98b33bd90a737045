# The shell: the login item, the update framework and the tray host;
# interfaces here, their Linux implementations (an XDG autostart entry, an
# RSS appcast over https, the StatusNotifierItem watcher and the XEmbed tray
# manager) in linux/.
pkg_check_modules(XCB_SHELL REQUIRED IMPORTED_TARGET xcb xcb-xfixes)
target_sources(brimwell_platform PRIVATE
  LoginItem.h
  TrayHost.h
  UpdateFramework.h
  linux/Appcast.cpp linux/Appcast.h
  linux/AppcastUpdater.cpp linux/AppcastUpdater.h
  linux/FreedesktopTrayHost.cpp linux/FreedesktopTrayHost.h
  linux/XdgAutostartLoginItem.cpp linux/XdgAutostartLoginItem.h
)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::XCB_SHELL)
