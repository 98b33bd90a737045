#include "ChildProcess.h"
#include "DBusMock.h"
#include "FakeScreenSource.h"
#include "LinuxWallClockEvents.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

#include <sys/timerfd.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>

namespace {
// Whether the machine's clock was set: every CANCEL_ON_SET timer sees that,
// the one under test too, so a step it falls in is done again.
class ClockSetWatch {
public:
    ClockSetWatch() { arm(); }
    ~ClockSetWatch() { ::close(m_fd); }
    ClockSetWatch(const ClockSetWatch&) = delete;
    ClockSetWatch& operator=(const ClockSetWatch&) = delete;
    bool wasSet()
    {
        std::uint64_t expirations = 0;
        const bool set = ::read(m_fd, &expirations, sizeof expirations) < 0 && errno == ECANCELED;
        if (set)
            arm();
        return set;
    }

private:
    void arm()
    {
        itimerspec expiry {};
        expiry.it_value.tv_sec = 4'000'000'000;
        timerfd_settime(m_fd, TFD_TIMER_ABSTIME | TFD_TIMER_CANCEL_ON_SET, &expiry, nullptr);
    }
    int m_fd = timerfd_create(CLOCK_REALTIME, TFD_NONBLOCK | TFD_CLOEXEC);
};

struct Ping final : QDBusVirtualObject {
    int pings = 0;
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override
    {
        ++pings;
        connection.send(message.createReply());
        return true;
    }
};
} // namespace

// Resume and time zone changes, with timedated's signal sent on a private
// bus standing in for the system bus. (A set clock cancels a CLOCK_REALTIME
// timerfd; setting the clock is not something a test may do.)
TEST(LinuxWallClockEvents, ResumeAndANewTimeZoneAreReportedOtherSignalsNot)
{
    ClockSetWatch clockSet;
    ChildProcess::PrivateBus daemon;
    BusConnection bus(daemon.address, "wallclock");
    BusConnection timedated(daemon.address, "timedated");
    ASSERT_TRUE(bus.isConnected() && timedated.isConnected()) << "dbus-daemon did not start";
    FakeScreenSource screens;
    LinuxWallClockEvents events(screens, bus);
    QSignalSpy changed(&events, &WallClockEvents::wallClockChanged);

    screens.wake();
    EXPECT_EQ(changed.count(), 1);

    QCoreApplication::processEvents(); // it follows timedated from the next turn on
    const auto propertiesChanged = [&](const QString& path) {
        QDBusMessage signal = QDBusMessage::createSignal(path, "org.freedesktop.DBus.Properties", "PropertiesChanged");
        signal << "org.freedesktop.timedate1" << QVariantMap { { "Timezone", "Pacific/Auckland" } } << QStringList();
        EXPECT_TRUE(timedated.send(signal));
    };
    // Another object's changes must not count. A call from the same sender
    // arrives after its signal, so once it is here the signal was handled.
    Ping ping;
    ASSERT_TRUE(bus.registerVirtualObject("/ping", &ping));
    for (int attempt = 1;; ++attempt) {
        const qsizetype before = changed.count();
        propertiesChanged("/org/freedesktop/hostname1");
        timedated.asyncCall(QDBusMessage::createMethodCall(bus.baseService(), "/ping", {}, "Ping"));
        EXPECT_TRUE(QTest::qWaitFor([&] { return ping.pings >= attempt; }, 5000));
        if (!clockSet.wasSet() || attempt == 3) {
            EXPECT_EQ(changed.count(), before);
            break;
        }
        QCoreApplication::processEvents(); // the set's own notice, before the next try
    }
    const qsizetype before = changed.count();
    propertiesChanged("/org/freedesktop/timedate1");
    EXPECT_TRUE(QTest::qWaitFor([&] { return changed.count() > before; }, 5000));
}
