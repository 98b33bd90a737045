#pragma once

#include <QObject>

/// Tells when wall-clock time moved other than by running: the machine woke
/// from sleep (monotonic timers stood still meanwhile), the time was set, or
/// the time zone changed. Whoever shows wall time reads it again then.
class WallClockEvents : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
    ~WallClockEvents() override;

    /// The process-wide source: the one the program installed, else one that never fires.
    static WallClockEvents& system();
    /// Installs the process-wide source; it must outlive every reader.
    static void setSystem(WallClockEvents* events);

Q_SIGNALS:
    /// Wall time, or its local form, changed by a jump.
    void wallClockChanged();
};
