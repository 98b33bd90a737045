#pragma once

#include "MinuteTicker.h"

#include <QDateTime>
#include <QObject>
#include <QtQml/qqmlregistration.h>

class Clock;
class Scheduler;
class WallClockEvents;

/// "Now" for the calendar views, moved on by a MinuteTicker: at each minute
/// boundary, and at once after a sleep or a set clock.
class CalendarTimeline : public QObject {
    Q_OBJECT
    QML_ELEMENT
    /// The current time, as of the last minute boundary.
    Q_PROPERTY(QDateTime now READ now NOTIFY nowChanged)
public:
    /// The system clock, timers and clock events.
    explicit CalendarTimeline(QObject* parent = nullptr);
    CalendarTimeline(Scheduler& scheduler, const Clock& clock, WallClockEvents& events, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(CalendarTimeline)

    QDateTime now() const { return m_ticker.now(); }

Q_SIGNALS:
    void nowChanged();

private:
    MinuteTicker m_ticker;
};
