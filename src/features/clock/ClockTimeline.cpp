#include "ClockTimeline.h"

#include "Clock.h"
#include "Scheduler.h"
#include "WallClockEvents.h"

#include <chrono>

ClockTimeline::ClockTimeline(QObject* parent)
    : ClockTimeline(Scheduler::system(), Clock::system(), QLocale(), WallClockEvents::system(), parent)
{
}

ClockTimeline::ClockTimeline(
    Scheduler& scheduler, const Clock& clock, const QLocale& locale, WallClockEvents& events, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_locale(locale)
    , m_nextMinute(scheduler)
{
    // The minute task runs on monotonic time, which stands still during a
    // sleep and ignores a set clock; such a jump re-reads the time and aims
    // the task at the next boundary of the new time.
    connect(&events, &WallClockEvents::wallClockChanged, this, &ClockTimeline::tick);
    tick();
}

void ClockTimeline::tick()
{
    const QDateTime now = m_clock.now().toLocalTime();
    const ClockText::Parts parts = ClockText::text(now.time(), m_locale);
    if (parts != m_parts) {
        m_parts = parts;
        Q_EMIT textChanged();
    }
    // Wake just past the next boundary; a timer that fires early only finds
    // the same text and waits for the rest of the minute.
    const qint64 intoMinute = now.time().second() * 1000 + now.time().msec();
    m_nextMinute.start(std::chrono::milliseconds(60'000 - intoMinute + 5), [this] { tick(); });
}
