#include "ChildProcess.h"
#include "FakeScreenSource.h"
#include "LinuxWallClockEvents.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

namespace {
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
    ChildProcess::PrivateBus daemon;
    QDBusConnection bus = QDBusConnection::connectToBus(daemon.address, QStringLiteral("wallclock"));
    QDBusConnection timedated = QDBusConnection::connectToBus(daemon.address, QStringLiteral("timedated"));
    ASSERT_TRUE(bus.isConnected() && timedated.isConnected());
    FakeScreenSource screens;
    LinuxWallClockEvents events(screens, bus);
    QSignalSpy changed(&events, &WallClockEvents::wallClockChanged);

    screens.wake();
    EXPECT_EQ(changed.count(), 1);

    QCoreApplication::processEvents(); // it follows timedated from the next turn on
    const auto propertiesChanged = [&](const QString& path) {
        QDBusMessage signal = QDBusMessage::createSignal(
            path, QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("PropertiesChanged"));
        signal << QStringLiteral("org.freedesktop.timedate1")
               << QVariantMap { { QStringLiteral("Timezone"), QStringLiteral("Pacific/Auckland") } } << QStringList();
        EXPECT_TRUE(timedated.send(signal));
    };
    // Another object's changes must not count. A call from the same sender
    // arrives after its signal, so once it is here the signal was handled.
    Ping ping;
    ASSERT_TRUE(bus.registerVirtualObject(QStringLiteral("/ping"), &ping));
    propertiesChanged(QStringLiteral("/org/freedesktop/hostname1"));
    timedated.asyncCall(QDBusMessage::createMethodCall(bus.baseService(), QStringLiteral("/ping"), {}, QStringLiteral("Ping")));
    EXPECT_TRUE(QTest::qWaitFor([&] { return ping.pings > 0; }, 5000));
    EXPECT_EQ(changed.count(), 1);
    propertiesChanged(QStringLiteral("/org/freedesktop/timedate1"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return changed.count() == 2; }, 5000));

    QDBusConnection::disconnectFromBus(QStringLiteral("timedated"));
    QDBusConnection::disconnectFromBus(QStringLiteral("wallclock"));
}
