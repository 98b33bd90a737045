# Now Playing facilities: the media players' interface here, the MPRIS watcher in linux/.
set(mpris_xml ${CMAKE_CURRENT_SOURCE_DIR}/linux)
set_source_files_properties(${mpris_xml}/org.mpris.MediaPlayer2.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgMprisMediaPlayer2Interface)
set_source_files_properties(${mpris_xml}/org.mpris.MediaPlayer2.Player.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgMprisMediaPlayer2PlayerInterface)
set_source_files_properties(${mpris_xml}/org.freedesktop.DBus.Properties.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgFreedesktopDBusPropertiesInterface)
set_source_files_properties(${mpris_xml}/org.freedesktop.DBus.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgFreedesktopDBusInterface)
qt_add_dbus_interface(mpris_dbus ${mpris_xml}/org.mpris.MediaPlayer2.xml mpris_root_interface)
qt_add_dbus_interface(mpris_dbus ${mpris_xml}/org.mpris.MediaPlayer2.Player.xml mpris_player_interface)
qt_add_dbus_interface(mpris_dbus ${mpris_xml}/org.freedesktop.DBus.Properties.xml properties_interface)
qt_add_dbus_interface(mpris_dbus ${mpris_xml}/org.freedesktop.DBus.xml dbus_interface)

target_sources(brimwell_platform PRIVATE
  ApplicationCatalog.h
  MediaPlayers.h
  WebLoader.h
  linux/DesktopApplicationCatalog.cpp linux/DesktopApplicationCatalog.h
  linux/MprisPlayer.cpp linux/MprisPlayer.h
  linux/MprisPlayerChoice.cpp linux/MprisPlayerChoice.h
  linux/MprisValues.cpp linux/MprisValues.h
  linux/MprisWatcher.cpp linux/MprisWatcher.h
  linux/NetworkWebLoader.cpp linux/NetworkWebLoader.h
  ${mpris_dbus}
)
