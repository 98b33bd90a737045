#include "ChildProcess.h"
#include "DBusFileBrowser.h"
#include "DBusMock.h"
#include "KdeConnectSharing.h"
#include "LogCapture.h"
#include "TempDir.h"

#include <QFile>
#include <QTest>

#include <gtest/gtest.h>

// The shelf's file manager and KDE Connect as python3-dbusmock stand-ins on
// a private session bus.
namespace {

const QString kdeconnect = QStringLiteral("org.kde.kdeconnect");
const QString daemonPath = QStringLiteral("/modules/kdeconnect");
const QString deviceInterface = QStringLiteral("org.kde.kdeconnect.device");

QString sharePath(const QString& id)
{
    return daemonPath + QStringLiteral("/devices/") + id + QStringLiteral("/share");
}

class ShelfSharingTest : public TempDirTest {
protected:
    void SetUp() override { ASSERT_TRUE(m_connection.isConnected()) << "dbus-daemon did not start"; }

    DBusMock& startMock(const QString& service, const QString& path, const QString& interface)
    {
        m_mock = std::make_unique<DBusMock>(m_connection, m_bus.address, service, path, interface);
        return *m_mock;
    }
    void addObject(const QString& path, const QString& interface, const QVariantMap& properties)
    {
        m_mock->mock(daemonPath, "AddObject", { path, interface, properties, QVariant::fromValue(QVariantList()) });
    }
    // Paired, with a share plugin.
    void addDevice(const QString& id, const QVariant& name, bool reachable)
    {
        addObject(daemonPath + "/devices/" + id, deviceInterface,
            { { "name", name }, { "isReachable", reachable }, { "isPaired", true } });
        addObject(sharePath(id), "org.kde.kdeconnect.device.share", {});
        m_mock->mock(sharePath(id), "AddMethod", { QString(), "shareUrl", "s", QString(), QString() });
    }
    QString url(const QString& folder) const { return QUrl::fromLocalFile(path(folder)).toString(); }
    // A file whose URL needs encoding.
    QUrl file(const QString& folder = "dir") const { return QUrl::fromLocalFile(path(folder + "/a b é.txt")); }

    // A session bus without the installed services, so that no real file
    // manager or KDE Connect is started by the calls.
    ChildProcess::PrivateBus m_bus { ChildProcess::writeBusConfig(path("bus.conf")) };
    BusConnection m_connection { m_bus.address, "shelf-sharing-test" };
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
    browser.reveal({ file(), file("other"), QUrl::fromLocalFile(path("dir/b")) });
    ASSERT_TRUE(QTest::qWaitFor([&] { return !opened.isEmpty(); }, 5000));
    EXPECT_EQ(opened, (QList<QUrl> { QUrl(url("dir")), QUrl(url("other")) }));
    EXPECT_TRUE(log.mentions("opening their folders instead"));

    const QString manager = QStringLiteral("/org/freedesktop/FileManager1");
    startMock("org.freedesktop.FileManager1", manager, "org.freedesktop.FileManager1")
        .mock(manager, "AddMethod", { QString(), "ShowItems", "ass", QString(), QString() });
    opened.clear();
    browser.reveal({ file() });
    QList<QVariantList> calls;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !(calls = m_mock->calls(manager, "ShowItems")).isEmpty(); }, 5000));
    EXPECT_EQ(calls, (QList<QVariantList> { { QStringList { url("dir") + "/a%20b%20%C3%A9.txt" }, QString() } }));
    EXPECT_TRUE(opened.isEmpty());

    // xdg-email as a script that writes down its arguments.
    QFile script(writeFile("bin/xdg-email",
        QStringLiteral("#!/bin/sh\nprintf '%s\\n' \"$@\" > '%1.part' && mv '%1.part' '%1'\n").arg(path("args")).toUtf8()));
    script.setPermissions(script.permissions() | QFile::ExeOwner);
    const QByteArray oldPath = qgetenv("PATH");
    qputenv("PATH", path("bin").toUtf8() + ':' + oldPath);
    KdeConnectSharing sharing(m_connection);
    qputenv("PATH", oldPath);

    ASSERT_TRUE(sharing.canEmail());
    writeFile("dir/a b é.txt", {});
    sharing.email({ file(), QUrl::fromLocalFile(path("dir")), QUrl("https://example.org/a") });
    QFile args(path("args"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return args.exists(); }, 5000));
    ASSERT_TRUE(args.open(QIODevice::ReadOnly));
    EXPECT_EQ(QString::fromUtf8(args.readAll()), "--attach\n" + path("dir/a b é.txt") + '\n');
}

TEST_F(ShelfSharingTest, SendsToReachablePairedDevicesWhileKdeConnectRuns)
{
    // A daemon whose devices() answers from its device objects, as KDE Connect's does.
    startMock(kdeconnect, daemonPath, "org.kde.kdeconnect.daemon")
        .mock(daemonPath, "AddMethod",
            { QString(), "devices", "bb", "as",
                QStringLiteral("ret = []\n"
                               "for p in sorted(objects):\n"
                               "    d = objects[p].props.get('%1')\n"
                               "    if d and (d['isReachable'] or not args[0]) and (d['isPaired'] or not args[1]):\n"
                               "        ret.append(p.split('/')[-1])")
                    .arg(deviceInterface) });
    addDevice("phone", "Pixel", true);
    addDevice("tablet", "Tab", false);
    KdeConnectSharing sharing(m_connection);
    QSignalSpy changed(&sharing, &DeviceSharing::availabilityChanged);
    using Device = DeviceSharing::Device;
    ASSERT_TRUE(QTest::qWaitFor([&] { return !sharing.devices().isEmpty(); }, 5000));
    EXPECT_EQ(sharing.devices(), (QList<Device> { { "phone", "Pixel" } }));

    EXPECT_TRUE(sharing.send({ file(), file("other") }, "phone"));
    QList<QVariantList> calls;
    ASSERT_TRUE(QTest::qWaitFor([&] { return (calls = m_mock->calls(sharePath("phone"), "shareUrl")).size() == 2; }, 5000));
    EXPECT_EQ(calls.at(0), QVariantList { url("dir") + "/a%20b%20%C3%A9.txt" });
    EXPECT_FALSE(sharing.send({ file() }, "tablet"));
    EXPECT_FALSE(sharing.send({ file() }, "watch"));
    EXPECT_TRUE(m_mock->calls(sharePath("tablet"), "shareUrl").isEmpty());

    // The tablet comes in reach; a nameless device shows its id.
    m_mock->mock(
        daemonPath + "/devices/tablet", "UpdateProperties", { deviceInterface, QVariantMap { { "isReachable", true } } });
    addDevice("laptop", 7, true);
    m_mock->mock(daemonPath, "EmitSignal",
        { "org.kde.kdeconnect.daemon", "deviceVisibilityChanged", "sb", QVariantList { "tablet", true } });
    const QList<Device> all { { "laptop", "laptop" }, { "phone", "Pixel" }, { "tablet", "Tab" } };
    ASSERT_TRUE(QTest::qWaitFor([&] { return sharing.devices() == all; }, 5000));

    // KDE Connect quits: nothing to send to, said once.
    changed.clear();
    LogCapture log;
    m_mock->stop();
    ASSERT_TRUE(QTest::qWaitFor([&] { return sharing.devices().isEmpty(); }, 5000));
    EXPECT_EQ(changed.size(), 1);
    EXPECT_FALSE(sharing.send({ file() }, "phone"));
    EXPECT_FALSE(sharing.send({ file() }, "phone"));
    EXPECT_EQ(log.messages().filter("KDE Connect is not running").size(), 1);
}
