#include "CalendarTimeline.h"

#include "Clock.h"
#include "Scheduler.h"
#include "WallClockEvents.h"

#include <chrono>

CalendarTimeline::CalendarTimeline(QObject* parent)
    : CalendarTimeline(Scheduler::system(), Clock::system(), WallClockEvents::system(), parent)
{
}

CalendarTimeline::CalendarTimeline(Scheduler& scheduler, const Clock& clock, WallClockEvents& events, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_nextMinute(scheduler)
{
    connect(&events, &WallClockEvents::wallClockChanged, this, &CalendarTimeline::tick);
    tick();
}

void CalendarTimeline::tick()
{
    const QDateTime now = m_clock.now();
    if (now != m_now) {
        m_now = now;
        Q_EMIT nowChanged();
    }
    const QTime time = now.toLocalTime().time();
    const qint64 intoMinute = time.second() * 1000 + time.msec();
    m_nextMinute.start(std::chrono::milliseconds(60'000 - intoMinute + 5), [this] { tick(); });
}
