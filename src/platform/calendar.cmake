# The calendar store: the interface and the combination of several stores
# here, the iCalendar files (libical) and Evolution Data Server in linux/.
pkg_check_modules(LIBICAL REQUIRED IMPORTED_TARGET libical)
target_sources(brimwell_platform PRIVATE
  CalendarStore.h
  CombinedCalendarStore.cpp CombinedCalendarStore.h
  linux/ICalendarFile.cpp linux/ICalendarFile.h
  linux/ICalendarFileStore.cpp linux/ICalendarFileStore.h
)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::LIBICAL)

# Evolution Data Server. GLib's D-Bus structures have a field named
# `signals`, which Qt's keywords would turn into a macro.
pkg_check_modules(LIBECAL REQUIRED IMPORTED_TARGET libecal-2.0)
target_sources(brimwell_platform PRIVATE linux/EdsCalendarStore.cpp linux/EdsCalendarStore.h)
set_source_files_properties(linux/EdsCalendarStore.cpp PROPERTIES COMPILE_DEFINITIONS QT_NO_KEYWORDS)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::LIBECAL)
