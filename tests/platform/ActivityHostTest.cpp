#include "ChildProcess.h"
#include "DBusActivityHost.h"

#include <QDBusMessage>
#include <QDBusPendingCall>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The host's side of the bus that the real program's test cannot time: a
// caller gone before its watch began, a watch dropped, no handler yet.
namespace {

struct RecordingHandler final : ActivityHost::Handler {
    QString lastCaller;
    ActivityAnswer start(const QString& caller, const QString&, const QString&, const QVariantMap&) override
    {
        lastCaller = caller;
        return ActivityAnswer::accepted(7);
    }
    ActivityAnswer update(const QString&, quint32, const QVariantMap&) override { return {}; }
    ActivityAnswer end(const QString&, quint32) override { return {}; }
    QList<ActivitySummary> list() const override { return {}; }
};

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
    QDBusMessage start(QDBusConnection& from)
    {
        QDBusMessage call = QDBusMessage::createMethodCall(host.baseService(), QLatin1String(DBusActivityHost::objectPath),
            QLatin1String(DBusActivityHost::interfaceName), QStringLiteral("Start"));
        call.setArguments({ QStringLiteral("app"), QStringLiteral("Title"), QVariantMap {} });
        // Answered by this thread's event loop.
        QDBusPendingCall pending = from.asyncCall(call);
        EXPECT_TRUE(QTest::qWaitFor([&] { return pending.isFinished(); }, 5000)) << "no answer";
        return pending.reply();
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

TEST_F(DBusActivityHostTest, CallsReachTheHandlerAsTheirSenderAndWithoutOneAreNotAllowed)
{
    DBusActivityHost activities(host);
    ASSERT_TRUE(activities.open());
    EXPECT_FALSE(DBusActivityHost(host).open()) << "the path is taken";
    QDBusConnection caller = connect(QStringLiteral("caller"));
    EXPECT_EQ(start(caller).errorName(), QStringLiteral("com.larkmoor.Brimwell.Activities1.Error.NotAllowed"));

    RecordingHandler handler;
    activities.setHandler(&handler);
    const QDBusMessage reply = start(caller);
    EXPECT_EQ(reply.arguments().value(0).toUInt(), 7u) << qPrintable(reply.errorMessage());
    EXPECT_EQ(handler.lastCaller, caller.baseService());
    activities.setHandler(nullptr);
}

} // namespace
