#include "MinuteTicker.h"

#include "Clock.h"
#include "WallClockEvents.h"

namespace {

// Milliseconds since the start of `time`'s local minute: a zone's offset
// need not be whole minutes.
qint64 msecsIntoMinute(const QDateTime& time)
{
    const QTime local = time.toLocalTime().time();
    return local.second() * 1000 + local.msec();
}

} // namespace

MinuteTicker::MinuteTicker(Scheduler& scheduler, const Clock& clock, WallClockEvents& events, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_nextMinute(scheduler)
{
    connect(&events, &WallClockEvents::wallClockChanged, this, [this] {
        if (m_running)
            read();
    });
}

void MinuteTicker::start()
{
    m_running = true;
    read();
}

void MinuteTicker::stop()
{
    m_running = false;
    m_nextMinute.cancel();
}

void MinuteTicker::read()
{
    m_now = m_clock.now();
    arm(m_now);
    Q_EMIT ticked(m_now);
}

void MinuteTicker::arm(const QDateTime& now)
{
    m_nextMinute.start(Scheduler::Duration(60'000 - msecsIntoMinute(now)), [this] {
        // A wall clock that runs a little behind the timer still shows the
        // old minute: wait for the rest of it rather than tick twice in one.
        const QDateTime current = m_clock.now();
        if (msecsIntoMinute(current) >= 59'000)
            arm(current);
        else
            read();
    });
}
