#include "ChildProcess.h"
#include "DBusActivityHost.h"
#include "DBusMock.h"

#include <QTest>

#include <gtest/gtest.h>

// What the real program's test cannot time: a caller gone before its watch
// began, and a watch dropped before its caller left.
TEST(DBusActivityHostTest, ReportsCallersThatLeaveAndThoseGoneBeforeTheWatch)
{
    ChildProcess::PrivateBus bus;
    BusConnection host { bus.address, "host" };
    ASSERT_TRUE(host.isConnected()) << "dbus-daemon did not start";
    DBusActivityHost activities(host);
    QSignalSpy left(&activities, &ActivityHost::callerLeft);
    // Unique names are never reused: one not on the bus now has left.
    activities.watchCaller(":1.4242");
    ASSERT_TRUE(QTest::qWaitFor([&] { return left.count() == 1; }, 5000));
    EXPECT_EQ(left.takeFirst().value(0).toString(), ":1.4242");

    auto dropped = std::make_unique<BusConnection>(bus.address, "dropped");
    auto watched = std::make_unique<BusConnection>(bus.address, "watched");
    const QString watchedName = watched->baseService();
    activities.watchCaller(dropped->baseService());
    activities.watchCaller(watchedName);
    activities.watchCaller(watchedName);
    activities.unwatchCaller(dropped->baseService());
    // The dropped one leaves first: by the time the watched one is reported,
    // a report of the dropped one would have come.
    dropped.reset();
    watched.reset();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !left.isEmpty(); }, 5000));
    EXPECT_EQ(left.count(), 1);
    EXPECT_EQ(left.takeFirst().value(0).toString(), watchedName);
}
