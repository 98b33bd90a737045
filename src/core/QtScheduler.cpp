#include "QtScheduler.h"

#include <QTimer>

QtScheduler::QtScheduler()
{
    m_elapsed.start();
}

QtScheduler::~QtScheduler()
{
    qDeleteAll(m_timers);
}

qint64 QtScheduler::monotonicMs() const
{
    return m_elapsed.elapsed();
}

Scheduler::TimerId QtScheduler::start(Duration delay, bool repeating, std::function<void()> action)
{
    const TimerId id = m_nextId++;
    auto* timer = new QTimer(this);
    timer->setSingleShot(!repeating);
    timer->setTimerType(Qt::PreciseTimer);
    connect(timer, &QTimer::timeout, this, [this, id, repeating, action = std::move(action)] {
        if (!repeating) {
            // Forget the timer before acting: the action may start new ones.
            if (QTimer* t = m_timers.take(id))
                t->deleteLater();
        }
        action();
    });
    m_timers.insert(id, timer);
    timer->start(delay);
    return id;
}

void QtScheduler::cancel(TimerId id)
{
    if (QTimer* t = m_timers.take(id)) {
        t->stop();
        t->deleteLater();
    }
}

namespace {
Scheduler* installedScheduler = nullptr;
Clock* installedClock = nullptr;
} // namespace

Scheduler& Scheduler::system()
{
    static QtScheduler scheduler;
    return installedScheduler ? *installedScheduler : scheduler;
}

void Scheduler::setSystem(Scheduler* scheduler)
{
    installedScheduler = scheduler;
}

Clock& Clock::system()
{
    static SystemClock clock;
    return installedClock ? *installedClock : clock;
}

void Clock::setSystem(Clock* clock)
{
    installedClock = clock;
}
