#pragma once

#include <QCoreApplication>
#include <QDeadlineTimer>

#include <algorithm>
#include <functional>

// Turns the event loop until `done` holds; false when `boundMs` passed first.
inline bool spinUntil(const std::function<bool()>& done, int boundMs = 5000)
{
    QDeadlineTimer deadline(boundMs);
    while (!done()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

// Turns the event loop for `ms`.
inline void spinFor(int ms)
{
    QDeadlineTimer deadline(ms);
    while (!deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, int(std::max<qint64>(1, deadline.remainingTime())));
}
