#pragma once

#include <QDateTime>

/// Wall-clock time source, injected so tests can fix "now".
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDateTime now() const = 0;

    /// The process-wide system clock.
    static Clock& system();
};
