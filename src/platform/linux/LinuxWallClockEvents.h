#pragma once

#include "WallClockEvents.h"

class QSocketNotifier;
class ScreenSource;

/// Wall-clock jumps on Linux, all without polling: resume from sleep as the
/// screen source already hears it from logind, a set clock through a
/// CLOCK_REALTIME timerfd that the kernel cancels on every set, and a new
/// time zone from systemd-timedated's property changes.
class LinuxWallClockEvents final : public WallClockEvents {
    Q_OBJECT
public:
    explicit LinuxWallClockEvents(ScreenSource& screens, QObject* parent = nullptr);
    ~LinuxWallClockEvents() override;
    Q_DISABLE_COPY_MOVE(LinuxWallClockEvents)

private:
    bool armClockSetTimer();
    void followTimeZone();

    int m_timerFd = -1;
    QSocketNotifier* m_notifier = nullptr;
};
