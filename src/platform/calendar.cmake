# The calendar store: the interface and the combination of several stores.
target_sources(brimwell_platform PRIVATE
  CalendarStore.h
  CombinedCalendarStore.cpp CombinedCalendarStore.h
)
