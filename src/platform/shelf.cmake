# The shelf: file bookmarks, previews, the file browser and sending files
# away; interfaces here, their Linux implementations in linux/.
set_source_files_properties(linux/org.kde.kdeconnect.daemon.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgKdeKdeconnectDaemonInterface)
set_source_files_properties(linux/org.kde.kdeconnect.device.share.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgKdeKdeconnectDeviceShareInterface)
qt_add_dbus_interface(BRIMWELL_KDECONNECT_IFACE linux/org.kde.kdeconnect.daemon.xml kdeconnect_daemon_interface)
qt_add_dbus_interface(BRIMWELL_KDECONNECT_IFACE linux/org.kde.kdeconnect.device.share.xml kdeconnect_share_interface)
target_sources(brimwell_platform PRIVATE
  FileBookmark.h
  FileThumbnails.h
  FileBrowser.h
  DeviceSharing.h
  linux/PosixFileBookmark.cpp linux/PosixFileBookmark.h
  linux/FreedesktopThumbnails.cpp linux/FreedesktopThumbnails.h
  linux/DBusFileBrowser.cpp linux/DBusFileBrowser.h
  linux/KdeConnectSharing.cpp linux/KdeConnectSharing.h
  ${BRIMWELL_KDECONNECT_IFACE}
)
