#include "ManualScheduler.h"

#include <QCoreApplication>

ManualScheduler::ManualScheduler(QDateTime wallStart)
    : m_wallStart(std::move(wallStart))
{
}

Scheduler::TimerId ManualScheduler::start(Duration delay, bool repeating, std::function<void()> action)
{
    const TimerId id = m_nextId++;
    const qint64 interval = std::max<qint64>(delay.count(), 0);
    m_timers.emplace(
        id, Timer { m_now + interval, repeating ? std::max<qint64>(interval, 1) : interval, repeating, std::move(action) });
    return id;
}

void ManualScheduler::cancel(TimerId id)
{
    m_timers.erase(id);
}

void ManualScheduler::advance(qint64 ms)
{
    const qint64 target = m_now + std::max<qint64>(ms, 0);
    for (;;) {
        // Queued work (main-queue deliveries) runs before time moves on.
        if (QCoreApplication::instance())
            QCoreApplication::processEvents();
        auto next = m_timers.end();
        for (auto it = m_timers.begin(); it != m_timers.end(); ++it) {
            if (it->second.due <= target && (next == m_timers.end() || it->second.due < next->second.due))
                next = it;
        }
        if (next == m_timers.end())
            break;
        m_now = std::max(m_now, next->second.due);
        std::function<void()> action = next->second.action;
        if (next->second.repeating)
            next->second.due += next->second.interval;
        else
            m_timers.erase(next);
        action();
    }
    m_now = target;
    if (QCoreApplication::instance())
        QCoreApplication::processEvents();
}
