#pragma once

#include "Clock.h"
#include "Scheduler.h"

#include <map>
#include <utility>

/// Virtual time for tests: nothing happens until advance() moves the clock,
/// and timers then fire in due order. Also a wall clock that moves with it.
class ManualScheduler final : public Scheduler, public Clock {
public:
    explicit ManualScheduler(QDateTime wallStart = QDateTime(QDate(2026, 1, 5), QTime(10, 0), Qt::UTC));

    qint64 monotonicMs() const override { return m_now; }
    TimerId start(Duration delay, bool repeating, std::function<void()> action) override;
    void cancel(TimerId id) override;
    QDateTime now() const override { return m_wallStart.addMSecs(m_now); }

    /// Moves time forward by `ms`, firing every timer that falls due on the way
    /// (a timer started by a firing timer fires too if it falls due in range).
    void advance(qint64 ms);
    /// Moves the wall clock alone, as a sleep (monotonic time stands still)
    /// or a clock set by hand does; no timer fires.
    void jumpWallClock(qint64 ms) { m_wallStart = m_wallStart.addMSecs(ms); }
    /// Timers still pending.
    int pendingCount() const { return int(m_timers.size()); }

private:
    struct Timer {
        qint64 due;
        qint64 interval;
        bool repeating;
        std::function<void()> action;
    };
    QDateTime m_wallStart;
    qint64 m_now = 0;
    TimerId m_nextId = 1;
    std::map<TimerId, Timer> m_timers;
};
