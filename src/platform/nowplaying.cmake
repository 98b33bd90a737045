# Now Playing facilities: interfaces here, MPRIS-based implementations in linux/.
# The MPRIS mirror is its own small library: the adapter program uses it too.
set(mpris_xml ${CMAKE_CURRENT_SOURCE_DIR}/linux)
set_source_files_properties(${mpris_xml}/org.mpris.MediaPlayer2.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgMprisMediaPlayer2Interface)
set_source_files_properties(${mpris_xml}/org.mpris.MediaPlayer2.Player.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgMprisMediaPlayer2PlayerInterface)
set_source_files_properties(${mpris_xml}/org.freedesktop.DBus.Properties.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgFreedesktopDBusPropertiesInterface)
set_source_files_properties(${mpris_xml}/org.freedesktop.DBus.xml PROPERTIES NO_NAMESPACE ON CLASSNAME OrgFreedesktopDBusInterface)
qt_add_dbus_interface(mpris_dbus ${mpris_xml}/org.mpris.MediaPlayer2.xml mpris_root_interface)
qt_add_dbus_interface(mpris_dbus ${mpris_xml}/org.mpris.MediaPlayer2.Player.xml mpris_player_interface)
qt_add_dbus_interface(mpris_dbus ${mpris_xml}/org.freedesktop.DBus.Properties.xml properties_interface)
qt_add_dbus_interface(mpris_dbus ${mpris_xml}/org.freedesktop.DBus.xml dbus_interface)
add_library(brimwell_mpris STATIC
  linux/MprisPlayer.cpp linux/MprisPlayer.h
  linux/MprisValues.cpp linux/MprisValues.h
  ${mpris_dbus}
)
brimwell_layer(brimwell_mpris platform)
brimwell_target_defaults(brimwell_mpris)
target_include_directories(brimwell_mpris PUBLIC ${CMAKE_CURRENT_SOURCE_DIR}/linux ${CMAKE_CURRENT_BINARY_DIR})
target_link_libraries(brimwell_mpris PUBLIC Qt6::Core Qt6::DBus)

target_sources(brimwell_platform PRIVATE
  ApplicationCatalog.h
  PlayerNotificationCenter.h
  RunningApplications.h
  ScriptRunner.h
  WebLoader.h
  linux/DesktopApplicationCatalog.cpp linux/DesktopApplicationCatalog.h
  linux/MprisScriptedPlayers.cpp linux/MprisScriptedPlayers.h
  linux/NetworkWebLoader.cpp linux/NetworkWebLoader.h
)
target_link_libraries(brimwell_platform PRIVATE brimwell_mpris)
