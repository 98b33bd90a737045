#pragma once

#include <QtGlobal>

#include <chrono>
#include <cstdint>
#include <functional>

/// Monotonic time source and timer service. Production uses QTimer
/// (QtScheduler); tests drive a ManualScheduler in virtual time.
class Scheduler {
public:
    using TimerId = std::uint64_t;
    using Duration = std::chrono::milliseconds;

    virtual ~Scheduler() = default;

    /// Milliseconds since an arbitrary fixed origin; never goes backwards.
    virtual qint64 monotonicMs() const = 0;
    /// Runs `action` on the GUI thread after `delay` (and every `delay` when
    /// repeating) until cancelled. Returns a non-zero id.
    virtual TimerId start(Duration delay, bool repeating, std::function<void()> action) = 0;
    /// Cancels a timer; unknown or finished ids are ignored.
    virtual void cancel(TimerId id) = 0;

    /// The process-wide scheduler: the QTimer one, unless one was installed.
    static Scheduler& system();
    /// Puts `scheduler` in the system scheduler's place (null restores it),
    /// so that objects made by QML run their timers in a test's time. Only
    /// objects made afterwards use it.
    static void setSystem(Scheduler* scheduler);
};
