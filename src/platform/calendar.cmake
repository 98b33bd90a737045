# The calendar store: the interface and the combination of several stores
# here, the iCalendar files (libical) and Evolution Data Server in linux/.
pkg_check_modules(LIBICAL REQUIRED IMPORTED_TARGET libical)
target_sources(brimwell_platform PRIVATE
  CalendarStore.h
  CombinedCalendarStore.cpp CombinedCalendarStore.h
  LazyCalendarStore.cpp LazyCalendarStore.h
  linux/ICalendarFile.cpp linux/ICalendarFile.h
  linux/ICalendarFileStore.cpp linux/ICalendarFileStore.h
  linux/EdsCalendarModule.cpp linux/EdsCalendarModule.h
)
target_link_libraries(brimwell_platform PRIVATE PkgConfig::LIBICAL)

# Evolution Data Server. libecal and what it brings cost the program about
# 13 MB once mapped, so its store is a module of its own in the private
# private library folder, loaded (EdsCalendarModule) only once a calendar is read.
# The module takes CalendarStore, the scheduler, the iCalendar parsing and
# the log from the program, which exports its symbols for it (src/app).
pkg_check_modules(LIBECAL REQUIRED IMPORTED_TARGET libecal-2.0)
# The store itself, for the module and for the platform's own test. GLib's
# D-Bus structures have a field named `signals`, which Qt's keywords would
# turn into a macro.
add_library(brimwell_eds_store OBJECT linux/EdsCalendarStore.cpp linux/EdsCalendarStore.h)
brimwell_target_defaults(brimwell_eds_store)
set_target_properties(brimwell_eds_store PROPERTIES POSITION_INDEPENDENT_CODE ON)
target_compile_definitions(brimwell_eds_store PRIVATE QT_NO_KEYWORDS)
# The program's headers only: their code is the program's.
target_include_directories(brimwell_eds_store PUBLIC
  ${CMAKE_CURRENT_SOURCE_DIR}/linux
  $<TARGET_PROPERTY:brimwell_platform,INTERFACE_INCLUDE_DIRECTORIES>
  $<TARGET_PROPERTY:brimwell_core,INTERFACE_INCLUDE_DIRECTORIES>)
target_link_libraries(brimwell_eds_store PUBLIC Qt6::Core Qt6::Gui PkgConfig::LIBECAL PkgConfig::LIBICAL)

add_library(brimwell_eds MODULE linux/EdsCalendarModuleEntry.cpp)
brimwell_target_defaults(brimwell_eds)
target_link_libraries(brimwell_eds PRIVATE brimwell_eds_store)
# Its entry point is all it exports.
set(eds_module_map ${CMAKE_CURRENT_SOURCE_DIR}/linux/EdsCalendarModule.map)
target_link_options(brimwell_eds PRIVATE "LINKER:--version-script=${eds_module_map}")
set_target_properties(brimwell_eds PROPERTIES
  LIBRARY_OUTPUT_DIRECTORY ${BRIMWELL_PRIVATE_LIBRARY_DIR}
  LINK_DEPENDS ${eds_module_map})
install(TARGETS brimwell_eds LIBRARY DESTINATION ${BRIMWELL_INSTALL_PRIVATE_LIBRARY_DIR})
set_property(SOURCE linux/EdsCalendarModule.cpp APPEND PROPERTY
  COMPILE_DEFINITIONS "BRIMWELL_EDS_MODULE=\"$<TARGET_FILE_NAME:brimwell_eds>\"")
