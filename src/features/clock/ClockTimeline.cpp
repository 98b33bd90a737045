#include "ClockTimeline.h"

#include "Clock.h"
#include "Scheduler.h"
#include "WallClockEvents.h"

ClockTimeline::ClockTimeline(QObject* parent)
    : ClockTimeline(Scheduler::system(), Clock::system(), QLocale(), WallClockEvents::system(), parent)
{
}

ClockTimeline::ClockTimeline(
    Scheduler& scheduler, const Clock& clock, const QLocale& locale, WallClockEvents& events, QObject* parent)
    : QObject(parent)
    , m_locale(locale)
    , m_ticker(scheduler, clock, events)
{
    connect(&m_ticker, &MinuteTicker::ticked, this, &ClockTimeline::show);
    m_ticker.start();
}

void ClockTimeline::show(const QDateTime& now)
{
    const ClockText::Parts parts = ClockText::text(now.toLocalTime().time(), m_locale);
    if (parts != m_parts) {
        m_parts = parts;
        Q_EMIT textChanged();
    }
}
