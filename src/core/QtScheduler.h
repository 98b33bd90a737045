#pragma once

#include "Clock.h"
#include "Scheduler.h"

#include <QElapsedTimer>
#include <QHash>
#include <QObject>

class QTimer;

/// Scheduler over QTimer; timers fire on the thread that owns this object.
class QtScheduler final : public QObject, public Scheduler {
    Q_OBJECT
public:
    QtScheduler();
    ~QtScheduler() override;
    Q_DISABLE_COPY_MOVE(QtScheduler)

    qint64 monotonicMs() const override;
    TimerId start(Duration delay, bool repeating, std::function<void()> action) override;
    void cancel(TimerId id) override;

private:
    QElapsedTimer m_elapsed;
    QHash<TimerId, QTimer*> m_timers;
    TimerId m_nextId = 1;
};

class SystemClock final : public Clock {
public:
    QDateTime now() const override { return QDateTime::currentDateTimeUtc(); }
};
