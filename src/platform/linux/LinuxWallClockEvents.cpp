#include "LinuxWallClockEvents.h"

#include "Log.h"
#include "ScreenSource.h"

#include <QDBusConnection>
#include <QSocketNotifier>

#include <cerrno>
#include <cstdint>
#include <cstring>
#include <sys/timerfd.h>
#include <unistd.h>

namespace {
// Far enough ahead never to expire; the timer exists only to be cancelled.
constexpr time_t farFuture = 7258118400; // 2200-01-01
} // namespace

LinuxWallClockEvents::LinuxWallClockEvents(ScreenSource& screens, const QDBusConnection& systemBus, QObject* parent)
    : WallClockEvents(parent)
    , m_systemBus(systemBus)
{
    connect(&screens, &ScreenSource::screensDidWake, this, &WallClockEvents::wallClockChanged);

    m_timerFd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
    if (m_timerFd < 0 || !armClockSetTimer()) {
        qCCritical(lcApp, "Unable to watch for clock changes: %s", std::strerror(errno));
    } else {
        m_notifier = new QSocketNotifier(m_timerFd, QSocketNotifier::Read, this);
        connect(m_notifier, &QSocketNotifier::activated, this, [this] {
            std::uint64_t expirations = 0;
            const bool cancelled = ::read(m_timerFd, &expirations, sizeof expirations) < 0 && errno == ECANCELED;
            armClockSetTimer();
            if (cancelled)
                Q_EMIT wallClockChanged();
        });
    }
    // Connecting to the system bus can take a moment; not during construction.
    QMetaObject::invokeMethod(this, &LinuxWallClockEvents::followTimeZone, Qt::QueuedConnection);
}

LinuxWallClockEvents::~LinuxWallClockEvents()
{
    delete m_notifier;
    if (m_timerFd >= 0)
        ::close(m_timerFd);
}

bool LinuxWallClockEvents::armClockSetTimer()
{
    itimerspec expiry {};
    expiry.it_value.tv_sec = farFuture;
    return timerfd_settime(m_timerFd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr) == 0;
}

void LinuxWallClockEvents::followTimeZone()
{
    if (!m_systemBus.isConnected())
        return;
    // No service name: matching on a well-known name would look its owner up
    // synchronously, and timedated is started on demand anyway.
    m_systemBus.connect(QString(), QStringLiteral("/org/freedesktop/timedate1"),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"), this, SIGNAL(wallClockChanged()));
}
