#include "CalendarTimeline.h"

#include "Clock.h"
#include "Scheduler.h"
#include "WallClockEvents.h"

CalendarTimeline::CalendarTimeline(QObject* parent)
    : CalendarTimeline(Scheduler::system(), Clock::system(), WallClockEvents::system(), parent)
{
}

CalendarTimeline::CalendarTimeline(Scheduler& scheduler, const Clock& clock, WallClockEvents& events, QObject* parent)
    : QObject(parent)
    , m_ticker(scheduler, clock, events)
{
    connect(&m_ticker, &MinuteTicker::ticked, this, &CalendarTimeline::nowChanged);
    m_ticker.start();
}
