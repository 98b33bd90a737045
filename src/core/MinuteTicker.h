#pragma once

#include "DelayedTask.h"

#include <QDateTime>
#include <QObject>

class Clock;
class WallClockEvents;

/// Reads the wall clock at each minute boundary, by one single-shot task
/// aimed at the next boundary, and at once when wall time jumps (a resume,
/// a set clock, a new time zone): monotonic timers know nothing of those.
/// Everything that shows wall time by the minute ticks from one of these.
class MinuteTicker final : public QObject {
    Q_OBJECT
public:
    MinuteTicker(Scheduler& scheduler, const Clock& clock, WallClockEvents& events, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(MinuteTicker)

    /// Reads the time now (ticked() reports it), then at every boundary.
    void start();
    /// No more ticks, nor re-reads on wall-clock jumps, until start().
    void stop();
    bool isRunning() const { return m_running; }
    /// The time read at the last tick.
    QDateTime now() const { return m_now; }

Q_SIGNALS:
    /// A new minute began, or wall time jumped: `now` is the time just read.
    void ticked(const QDateTime& now);

private:
    void read();
    void arm(const QDateTime& now);

    const Clock& m_clock;
    DelayedTask m_nextMinute;
    QDateTime m_now;
    bool m_running = false;
};
