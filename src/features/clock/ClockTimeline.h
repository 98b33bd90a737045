#pragma once

#include "ClockText.h"
#include "MinuteTicker.h"

#include <QDateTime>
#include <QLocale>
#include <QObject>
#include <QtQml/qqmlregistration.h>

class Clock;
class Scheduler;
class WallClockEvents;

/// The time the clock shows, moved on by a MinuteTicker: nothing redraws
/// between minutes, and a sleep or a change of the time or time zone shows
/// at once.
class ClockTimeline : public QObject {
    Q_OBJECT
    QML_ELEMENT

    /// Hour and minute, e.g. "21:05" or "9:05".
    Q_PROPERTY(QString timeText READ timeText NOTIFY textChanged FINAL)
    /// "AM"/"PM" for a twelve-hour locale, else empty.
    Q_PROPERTY(QString periodText READ periodText NOTIFY textChanged FINAL)

public:
    /// The system clock, timers and clock events, and the user's locale.
    explicit ClockTimeline(QObject* parent = nullptr);
    ClockTimeline(
        Scheduler& scheduler, const Clock& clock, const QLocale& locale, WallClockEvents& events, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(ClockTimeline)

    QString timeText() const { return m_parts.time; }
    QString periodText() const { return m_parts.period; }

Q_SIGNALS:
    void textChanged();

private:
    void show(const QDateTime& now);

    QLocale m_locale;
    MinuteTicker m_ticker;
    ClockText::Parts m_parts;
};
