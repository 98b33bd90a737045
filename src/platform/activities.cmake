# Live activities: where other programs of the session post them. The
# interface here; the session bus in linux/, its adaptor and the command
# line's proxy made from the introspection file that is installed for callers.
set(BRIMWELL_ACTIVITIES_XML ${PROJECT_SOURCE_DIR}/resources/dbus-1/interfaces/com.larkmoor.Brimwell.Activities1.xml)
qt_add_dbus_adaptor(BRIMWELL_ACTIVITIES_ADAPTOR ${BRIMWELL_ACTIVITIES_XML} DBusActivityHost.h DBusActivityHost
  activities_adaptor Activities1Adaptor)
set_source_files_properties(${BRIMWELL_ACTIVITIES_XML} PROPERTIES
  CLASSNAME Activities1Proxy NO_NAMESPACE ON INCLUDE DBusActivityHost.h)
qt_add_dbus_interface(BRIMWELL_ACTIVITIES_PROXY ${BRIMWELL_ACTIVITIES_XML} activities_proxy)
target_sources(brimwell_platform PRIVATE
  ActivityHost.h
  linux/DBusActivityHost.cpp linux/DBusActivityHost.h
  ${BRIMWELL_ACTIVITIES_ADAPTOR} ${BRIMWELL_ACTIVITIES_PROXY}
)
