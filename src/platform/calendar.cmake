# The calendar store: the interface and the combination of several stores
# here, the iCalendar files (libical) in linux/.
pkg_check_modules(LIBICAL REQUIRED IMPORTED_TARGET libical)
target_sources(brimwell_platform PRIVATE
  CalendarStore.h
  CombinedCalendarStore.cpp CombinedCalendarStore.h
  linux/ICalendarFile.cpp linux/ICalendarFile.h
  linux/ICalendarFileStore.cpp linux/ICalendarFileStore.h
)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::LIBICAL)
