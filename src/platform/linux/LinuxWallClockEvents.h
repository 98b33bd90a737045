#pragma once

#include "WallClockEvents.h"

#include <QDBusConnection>

class QSocketNotifier;
class ScreenSource;

/// Wall-clock jumps on Linux, all without polling: resume from sleep as the
/// screen source already hears it from logind, a set clock through a
/// CLOCK_REALTIME timerfd that the kernel cancels on every set, and a new
/// time zone from systemd-timedated's property changes.
class LinuxWallClockEvents final : public WallClockEvents {
    Q_OBJECT
public:
    /// Time zone changes come from timedated on `systemBus`.
    LinuxWallClockEvents(ScreenSource& screens, const QDBusConnection& systemBus, QObject* parent = nullptr);
    ~LinuxWallClockEvents() override;
    Q_DISABLE_COPY_MOVE(LinuxWallClockEvents)

private:
    bool armClockSetTimer();
    void followTimeZone();

    QDBusConnection m_systemBus;
    int m_timerFd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
