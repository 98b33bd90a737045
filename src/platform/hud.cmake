# Volume and brightness: interfaces here, Linux implementations in linux/.
pkg_check_modules(PULSE REQUIRED IMPORTED_TARGET libpulse libpulse-mainloop-glib)
target_sources(brimwell_platform PRIVATE
  AudioHardware.h
  linux/PulseAudioHardware.cpp linux/PulseAudioHardware.h
)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::PULSE)

# The built-in display's backlight, set through logind.
set_source_files_properties(linux/org.freedesktop.login1.Session.xml PROPERTIES CLASSNAME OrgFreedesktopLogin1SessionInterface NO_NAMESPACE ON)
qt_add_dbus_interface(BRIMWELL_LOGIN1_SESSION_IFACE linux/org.freedesktop.login1.Session.xml login1_session_interface)
target_sources(brimwell_platform PRIVATE
  DisplayBrightness.h
  linux/SysfsBacklight.cpp linux/SysfsBacklight.h
  ${BRIMWELL_LOGIN1_SESSION_IFACE}
)

# The media keys: X11 passive grabs.
target_sources(brimwell_platform PRIVATE
  MediaKeyGrabber.h
  linux/X11MediaKeyGrabber.cpp linux/X11MediaKeyGrabber.h
)
