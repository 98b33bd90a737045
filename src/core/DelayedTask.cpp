#include "DelayedTask.h"

DelayedTask::DelayedTask(Scheduler& scheduler)
    : m_scheduler(&scheduler)
{
}

DelayedTask::~DelayedTask()
{
    cancel();
}

void DelayedTask::start(Scheduler::Duration delay, std::function<void()> action)
{
    cancel();
    m_hasTask = true;
    const int generation = *m_generation;
    std::weak_ptr<int> alive = m_generation;
    m_id = m_scheduler->start(delay, false, [this, alive, generation, action = std::move(action)] {
        auto g = alive.lock();
        if (!g || *g != generation)
            return;
        m_id = 0;
        action();
    });
}

void DelayedTask::startRepeating(Scheduler::Duration interval, std::function<void()> action)
{
    cancel();
    m_hasTask = true;
    const int generation = *m_generation;
    std::weak_ptr<int> alive = m_generation;
    m_id = m_scheduler->start(interval, true, [alive, generation, action = std::move(action)] {
        auto g = alive.lock();
        if (!g || *g != generation)
            return;
        action();
    });
}

void DelayedTask::cancel()
{
    ++*m_generation;
    if (m_id != 0) {
        m_scheduler->cancel(m_id);
        m_id = 0;
    }
}
