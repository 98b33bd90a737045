// The entry point of the Evolution Data Server module. CalendarStore, the
// scheduler, the iCalendar parsing and the log categories are the program's
// own, which it exports: a second copy here would give CalendarStore a
// second meta-object.
#include "EdsCalendarModule.h"
#include "EdsCalendarStore.h"

#include <type_traits>

extern "C" Q_DECL_EXPORT CalendarStore* brimwell_create_eds_calendar_store(const QString& settingsPath, QObject* parent)
{
    return new EdsCalendarStore(settingsPath, Scheduler::system(), parent);
}

static_assert(std::is_same_v<decltype(&brimwell_create_eds_calendar_store), EdsCalendarModule::Create>);
