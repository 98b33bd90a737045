#pragma once

#include <QDateTime>

/// Wall-clock time source, injected so tests can fix "now".
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    /// The process-wide clock: the system's, unless one was installed.
    static Clock& system();
    /// Puts `clock` in the system clock's place (null restores it), so that
    /// views made by QML read the time a test sets.
    static void setSystem(Clock* clock);
};
