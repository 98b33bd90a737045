#include "ChildProcess.h"
#include "DBusActivityHost.h"

#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// What the real program's test cannot time: a caller gone before its watch
// began, and a watch dropped before its caller left.
namespace {

class DBusActivityHostTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_FALSE(bus.address.isEmpty()) << "dbus-daemon did not start"; }
    void TearDown() override
    {
        for (const QString& name : std::as_const(names))
            QDBusConnection::disconnectFromBus(name);
    }
    QDBusConnection connect(const QString& name)
    {
        names << name;
        return QDBusConnection::connectToBus(bus.address, name);
    }

    ChildProcess::PrivateBus bus;
    QStringList names;
    QDBusConnection host = connect(QStringLiteral("host"));
};

TEST_F(DBusActivityHostTest, ReportsCallersThatLeaveAndThoseGoneBeforeTheWatch)
{
    DBusActivityHost activities(host);
    QSignalSpy left(&activities, &ActivityHost::callerLeft);
    // Unique names are never reused: one not on the bus now has left.
    activities.watchCaller(QStringLiteral(":1.4242"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return left.count() == 1; }, 5000));
    EXPECT_EQ(left.takeFirst().value(0).toString(), QStringLiteral(":1.4242"));

    QString watchedName;
    {
        const QString droppedName = connect(QStringLiteral("dropped")).baseService();
        watchedName = connect(QStringLiteral("watched")).baseService();
        activities.watchCaller(droppedName);
        activities.watchCaller(watchedName);
        activities.watchCaller(watchedName);
        activities.unwatchCaller(droppedName);
    }
    // The dropped one leaves first: by the time the watched one is reported,
    // a report of the dropped one would have come.
    QDBusConnection::disconnectFromBus(QStringLiteral("dropped"));
    QDBusConnection::disconnectFromBus(QStringLiteral("watched"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !left.isEmpty(); }, 5000));
    EXPECT_EQ(left.count(), 1);
    EXPECT_EQ(left.takeFirst().value(0).toString(), watchedName);
}

} // namespace
