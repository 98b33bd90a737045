#include "ChildProcess.h"
#include "DBusFileBrowser.h"
#include "DBusMock.h"
#include "KdeConnectSharing.h"
#include "LogCapture.h"
#include "TempDir.h"

#include <QDBusVariant>
#include <QDir>
#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

// The shelf's file manager and KDE Connect as python3-dbusmock stand-ins on
// a private session bus.
namespace {

const QString kdeconnect = QStringLiteral("org.kde.kdeconnect");
const QString deviceInterface = QStringLiteral("org.kde.kdeconnect.device");

QString devicePath(const QString& id)
{
    return QStringLiteral("/modules/kdeconnect/devices/") + id;
}

class ShelfSharingTest : public TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_bus.address.isEmpty()) << "dbus-daemon did not start";
        ASSERT_TRUE(m_connection.isConnected());
    }

    DBusMock& startMock(const QString& service, const QString& path, const QString& interface)
    {
        m_mock = std::make_unique<DBusMock>(m_connection, m_bus.address, service, path, interface);
        return *m_mock;
    }

    // A daemon whose devices() answers from its device objects, as KDE Connect's does.
    DBusMock& startKdeConnect()
    {
        DBusMock& daemon
            = startMock(kdeconnect, QStringLiteral("/modules/kdeconnect"), QStringLiteral("org.kde.kdeconnect.daemon"));
        daemon.mock(QStringLiteral("/modules/kdeconnect"), QStringLiteral("AddMethod"),
            { QString(), QStringLiteral("devices"), QStringLiteral("bb"), QStringLiteral("as"),
                QStringLiteral("ret = []\n"
                               "for p in sorted(objects):\n"
                               "    d = objects[p].props.get('%1')\n"
                               "    if d and (d['isReachable'] or not args[0]) and (d['isPaired'] or not args[1]):\n"
                               "        ret.append(p.split('/')[-1])")
                    .arg(deviceInterface) });
        return daemon;
    }
    void addDevice(const QString& id, const QVariant& name, bool reachable)
    {
        m_mock->mock(QStringLiteral("/modules/kdeconnect"), QStringLiteral("AddObject"),
            { devicePath(id), deviceInterface,
                QVariantMap { { QStringLiteral("name"), name }, { QStringLiteral("isReachable"), reachable },
                    { QStringLiteral("isPaired"), true } },
                QVariant::fromValue(QList<QVariant>()) });
        const QString share = devicePath(id) + QStringLiteral("/share");
        m_mock->mock(QStringLiteral("/modules/kdeconnect"), QStringLiteral("AddObject"),
            { share, QStringLiteral("org.kde.kdeconnect.device.share"), QVariantMap(), QVariant::fromValue(QList<QVariant>()) });
        m_mock->mock(share, QStringLiteral("AddMethod"),
            { QString(), QStringLiteral("shareUrl"), QStringLiteral("s"), QString(), QString() });
    }

    // A file whose URL needs encoding.
    QUrl file(const QString& folder = QStringLiteral("dir")) const
    {
        return QUrl::fromLocalFile(path(folder + QStringLiteral("/a b é.txt")));
    }

    // A session bus without the installed services, so that no real file
    // manager or KDE Connect is started by the calls.
    ChildProcess::PrivateBus m_bus { ChildProcess::writeBusConfig(path(QStringLiteral("bus.conf"))) };
    BusConnection m_connection { m_bus.address, QStringLiteral("shelf-sharing-test") };
    std::unique_ptr<DBusMock> m_mock;
};

} // namespace

TEST_F(ShelfSharingTest, ShowsFilesInTheFileManagerOrElseOpensTheirFoldersAndEmailsLocalFiles)
{
    QList<QUrl> opened;
    DBusFileBrowser browser(m_connection, [&](const QUrl& url) {
        opened.append(url);
        return true;
    });

    // Nobody owns the file manager's name: each folder opens once.
    LogCapture log;
    browser.reveal({ file(), file(QStringLiteral("other")), QUrl::fromLocalFile(path(QStringLiteral("dir/b"))) });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 5000));
    EXPECT_EQ(opened,
        (QList<QUrl> { QUrl::fromLocalFile(path(QStringLiteral("dir"))), QUrl::fromLocalFile(path(QStringLiteral("other"))) }));
    EXPECT_TRUE(log.mentions(QStringLiteral("opening their folders instead")));

    DBusMock& manager = startMock(QStringLiteral("org.freedesktop.FileManager1"), QStringLiteral("/org/freedesktop/FileManager1"),
        QStringLiteral("org.freedesktop.FileManager1"));
    manager.mock(QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("AddMethod"),
        { QString(), QStringLiteral("ShowItems"), QStringLiteral("ass"), QString(), QString() });
    opened.clear();
    browser.reveal({ file() });
    QList<QVariantList> calls;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            return !(calls = manager.calls(QStringLiteral("/org/freedesktop/FileManager1"), QStringLiteral("ShowItems")))
                        .isEmpty();
        },
        5000));
    const QString expected = QUrl::fromLocalFile(path(QStringLiteral("dir"))).toString() + QStringLiteral("/a%20b%20%C3%A9.txt");
    EXPECT_EQ(calls, (QList<QVariantList> { { QStringList { expected }, QString() } }));
    EXPECT_TRUE(opened.isEmpty());

    // xdg-email as a script that writes down its arguments.
    const QString bin = path(QStringLiteral("bin"));
    QFile script(writeFile(QStringLiteral("bin/xdg-email"),
        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.part' && mv '%1.part' '%1'\n")
            .arg(path(QStringLiteral("args")))
            .toUtf8()));
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", bin.toUtf8() + ':' + oldPath);
    KdeConnectSharing sharing(m_connection);
    qputenv("PATH", oldPath);

    ASSERT_TRUE(sharing.canEmail());
    writeFile(QStringLiteral("dir/a b é.txt"), {});
    sharing.email({ file(), QUrl::fromLocalFile(path(QStringLiteral("dir"))), QUrl(QStringLiteral("https://example.org/a")) });
    QFile args(path(QStringLiteral("args")));
    ASSERT_TRUE(QTest::qWaitFor([&] { return args.exists(); }, 5000));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll()),
        QStringLiteral("--attach\n") + path(QStringLiteral("dir/a b é.txt")) + QLatin1Char('\n'));
}

TEST_F(ShelfSharingTest, SendsToReachablePairedDevicesWhileKdeConnectRuns)
{
    startKdeConnect();
    addDevice(QStringLiteral("phone"), QStringLiteral("Pixel"), true);
    addDevice(QStringLiteral("tablet"), QStringLiteral("Tab"), false);
    KdeConnectSharing sharing(m_connection);
    QSignalSpy changed(&sharing, &DeviceSharing::availabilityChanged);
    using Device = DeviceSharing::Device;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sharing.devices().isEmpty(); }, 5000));
    EXPECT_EQ(sharing.devices(), (QList<Device> { { QStringLiteral("phone"), QStringLiteral("Pixel") } }));

    EXPECT_TRUE(sharing.send({ file(), file(QStringLiteral("other")) }, QStringLiteral("phone")));
    const QString share = devicePath(QStringLiteral("phone")) + QStringLiteral("/share");
    QList<QVariantList> calls;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (calls = m_mock->calls(share, QStringLiteral("shareUrl"))).size() == 2; }, 5000));
    EXPECT_EQ(calls.at(0),
        QVariantList { QUrl::fromLocalFile(path(QStringLiteral("dir"))).toString() + QStringLiteral("/a%20b%20%C3%A9.txt") });
    EXPECT_FALSE(sharing.send({ file() }, QStringLiteral("tablet")));
    EXPECT_FALSE(sharing.send({ file() }, QStringLiteral("watch")));
    EXPECT_TRUE(
        m_mock->calls(devicePath(QStringLiteral("tablet")) + QStringLiteral("/share"), QStringLiteral("shareUrl")).isEmpty());

    // The tablet comes in reach; a nameless device shows its id.
    QDBusMessage set = QDBusMessage::createMethodCall(kdeconnect, devicePath(QStringLiteral("tablet")),
        QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Set"));
    set << deviceInterface << QStringLiteral("isReachable") << QVariant::fromValue(QDBusVariant(true));
    ASSERT_EQ(m_connection.call(set).type(), QDBusMessage::ReplyMessage);
    addDevice(QStringLiteral("laptop"), 7, true);
    m_mock->mock(QStringLiteral("/modules/kdeconnect"), QStringLiteral("EmitSignal"),
        { QStringLiteral("org.kde.kdeconnect.daemon"), QStringLiteral("deviceVisibilityChanged"), QStringLiteral("sb"),
            QVariantList { QStringLiteral("tablet"), true } });
    const QList<Device> all { { QStringLiteral("laptop"), QStringLiteral("laptop") },
        { QStringLiteral("phone"), QStringLiteral("Pixel") }, { QStringLiteral("tablet"), QStringLiteral("Tab") } };
    ASSERT_TRUE(QTest::qWaitFor([&] { return sharing.devices() == all; }, 5000));

    // KDE Connect quits: nothing to send to, said once.
    changed.clear();
    LogCapture log;
    m_mock->stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sharing.devices().isEmpty(); }, 5000));
    EXPECT_EQ(changed.size(), 1);
    EXPECT_FALSE(sharing.send({ file() }, QStringLiteral("phone")));
    EXPECT_FALSE(sharing.send({ file() }, QStringLiteral("phone")));
    EXPECT_EQ(log.messages().filter(QStringLiteral("KDE Connect is not running")).size(), 1);
}
