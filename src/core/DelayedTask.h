#pragma once

#include "Scheduler.h"

#include <functional>
#include <memory>

/// A cancellable main-thread task held in one field per purpose. Starting a
/// new task cancels the one the field held. Destroying the field cancels its
/// task, so a task never outlives its owner. Cancelling only prevents the
/// action; it does not undo anything already done.
class DelayedTask final {
public:
    explicit DelayedTask(Scheduler& scheduler = Scheduler::system());
    ~DelayedTask();
    DelayedTask(const DelayedTask&) = delete;
    DelayedTask& operator=(const DelayedTask&) = delete;

    /// Runs `action` once after `delay`, replacing any pending task.
    void start(Scheduler::Duration delay, std::function<void()> action);
    /// Runs `action` every `interval` until cancelled or until the action
    /// calls cancel(); replaces any pending task.
    void startRepeating(Scheduler::Duration interval, std::function<void()> action);
    /// Prevents the pending action from running. Safe to call from the action.
    void cancel();
    /// True while a task is scheduled and not cancelled.
    bool isPending() const { return m_id != 0; }
    /// True once a task was started, until a new one starts; cancelled or not.
    bool hasTask() const { return m_hasTask; }

    Scheduler& scheduler() const { return *m_scheduler; }

private:
    Scheduler* m_scheduler;
    Scheduler::TimerId m_id = 0;
    bool m_hasTask = false;
    // Lets a running action notice that it was replaced or destroyed.
    std::shared_ptr<int> m_generation = std::make_shared<int>(0);
};
