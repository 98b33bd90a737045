#include "DBusPropertyMirror.h"
#include "ChildProcess.h"
#include "DBusMock.h"

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The property mirror against an object on a private bus that holds its
// GetAll answers until the test releases them, as a busy service would.
namespace {

class HeldProperties final : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection&) override
    {
        if (message.member() != QLatin1String("GetAll"))
            return false;
        held.append(message);
        return true;
    }
    QList<QDBusMessage> held;
};

const QString a = QStringLiteral("A");
const QString b = QStringLiteral("B");

TEST(DBusPropertyMirrorTest, SignalledValuesStandOverALateAnswerAndOnlyTheNewestReadCounts)
{
    ChildProcess::PrivateBus bus;
    HeldProperties object; // outlives the connection it is registered on
    BusConnection server { bus.address, "mirror-server" };
    BusConnection client { bus.address, "mirror-client" };
    ASSERT_TRUE(server.isConnected() && client.isConnected()) << "dbus-daemon did not start";
    ASSERT_TRUE(server.registerVirtualObject("/thing", &object));
    DBusPropertyMirror mirror(client, server.baseService(), "/thing", "org.example.Thing", 5000);
    // Waits for the `n`th GetAll to arrive and answers it with `values`, or fails it when they are empty.
    const auto answer = [&](qsizetype n, const QVariantMap& values) {
        ASSERT_TRUE(QTest::qWaitFor([&] { return object.held.size() > n; }, 5000));
        const QDBusMessage& call = object.held[n];
        server.send(
            values.isEmpty() ? call.createErrorReply("org.example.Busy", "busy") : call.createReply(QVariant::fromValue(values)));
    };

    QSignalSpy read(&mirror, &DBusPropertyMirror::read);
    mirror.readAll();
    mirror.apply({ { a, 2 } }, {});
    answer(0, { { a, 1 }, { b, 1 } });
    ASSERT_TRUE(read.wait(5000));
    EXPECT_EQ(mirror.values(), (QVariantMap { { a, 2 }, { b, 1 } }));

    // Signalled before the next read was sent: the newer answer counts.
    mirror.apply({ { b, 5 } }, {});
    mirror.readAll();
    answer(1, { { a, 3 }, { b, 3 } });
    ASSERT_TRUE(read.wait(5000));
    EXPECT_EQ(mirror.values(), (QVariantMap { { a, 3 }, { b, 3 } }));

    // Only the newest read counts, and invalidated values are read again.
    read.clear();
    QSignalSpy failed(&mirror, &DBusPropertyMirror::readFailed);
    mirror.readAll();
    mirror.readAll();
    answer(3, { { a, 2 } });
    ASSERT_TRUE(read.wait(5000));
    answer(2, { { a, 1 } });
    // The older answer has arrived once a later call's answer has.
    client.call(
        QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus", "org.freedesktop.DBus.Peer", "Ping"));
    QCoreApplication::processEvents();
    EXPECT_EQ(read.size(), 1);
    EXPECT_EQ(mirror.values(), (QVariantMap { { a, 2 } }));

    mirror.apply({ { b, 1 } }, { a });
    EXPECT_EQ(mirror.values(), (QVariantMap { { b, 1 } })) << "an invalidated value is no longer known";
    answer(4, { { a, 4 }, { b, 0 } });
    ASSERT_TRUE(read.wait(5000));
    EXPECT_EQ(mirror.values(), (QVariantMap { { a, 4 }, { b, 0 } })) << "asked after the change: the answer is newer";

    // A failed read leaves what is known.
    mirror.readAll();
    answer(5, {});
    ASSERT_TRUE(failed.wait(5000));
    EXPECT_EQ(failed.first().first().toString(), "busy");
    EXPECT_EQ(mirror.values(), (QVariantMap { { a, 4 }, { b, 0 } }));
}

} // namespace
