#include "ChildProcess.h"
#include "PrivateXServer.h"
#include "TempDir.h"

#include <QDBusArgument>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QDir>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The real program's tray item on a private session bus whose panel is
// python3-dbusmock playing a StatusNotifierWatcher: the item registers, its
// menu is read and clicked over dbusmenu, and a second launch brings back
// the same settings window.
namespace {

const QString watcherName = QStringLiteral("org.kde.StatusNotifierWatcher");

struct MenuEntry {
    int id = 0;
    QString label;
    QString type;
    QString toggleType;
    int toggleState = -1;
};

QVariantMap properties(const QDBusArgument& arg)
{
    QVariantMap map;
    arg >> map;
    return map;
}

// The children of a dbusmenu layout (ia{sv}av).
QList<MenuEntry> children(const QDBusArgument& layout)
{
    QList<MenuEntry> entries;
    int id = 0;
    layout.beginStructure();
    layout >> id;
    properties(layout);
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const QDBusArgument item = child.variant().value<QDBusArgument>();
        MenuEntry entry;
        item.beginStructure();
        item >> entry.id;
        const QVariantMap props = properties(item);
        entry.label = props.value(QStringLiteral("label")).toString();
        entry.type = props.value(QStringLiteral("type")).toString();
        entry.toggleType = props.value(QStringLiteral("toggle-type")).toString();
        entry.toggleState = props.value(QStringLiteral("toggle-state"), -1).toInt();
        entries << entry;
    }
    layout.endArray();
    layout.endStructure();
    return entries;
}

class TrayDBusTest : public TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_x.isRunning()) << "Xvfb did not start";
        ASSERT_FALSE(m_bus.address.isEmpty()) << "dbus-daemon did not start";
        m_connection
            = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_bus.address, QStringLiteral("tray-test")));
        ASSERT_TRUE(m_connection->isConnected());
    }
    void TearDown() override
    {
        for (QProcess* p : { &m_program, &m_watcher }) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
        }
        m_connection.reset();
        QDBusConnection::disconnectFromBus(QStringLiteral("tray-test"));
    }

    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = ChildProcess::isolatedEnvironment(m_dir.path());
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address);
        env.insert(QStringLiteral("DISPLAY"), m_x.display());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        return env;
    }
    void startWatcher()
    {
        QDBusServiceWatcher watcher(watcherName, *m_connection, QDBusServiceWatcher::WatchForRegistration);
        QSignalSpy registered(&watcher, &QDBusServiceWatcher::serviceRegistered);
        m_watcher.setProcessEnvironment(environment());
        m_watcher.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_watcher.setStandardOutputFile(QProcess::nullDevice());
        m_watcher.start(QStringLiteral("/usr/bin/python3"),
            { QStringLiteral("-m"), QStringLiteral("dbusmock"), QStringLiteral("--session"), QStringLiteral("-t"),
                qEnvironmentVariable("BRIMWELL_SOURCE_DIR") + QStringLiteral("/tests/app/status_notifier_watcher.py") });
        ASSERT_TRUE(registered.wait(10000)) << "dbusmock did not start";
    }
    void launch(QProcess& program)
    {
        program.setProcessEnvironment(environment());
        program.start(qEnvironmentVariable("BRIMWELL_EXECUTABLE"), {});
        ASSERT_TRUE(program.waitForStarted(10000));
    }
    QStringList registeredItems()
    {
        QDBusMessage get = QDBusMessage::createMethodCall(watcherName, QStringLiteral("/StatusNotifierWatcher"),
            QStringLiteral("org.freedesktop.DBus.Properties"), QStringLiteral("Get"));
        get << watcherName << QStringLiteral("RegisteredStatusNotifierItems");
        const QDBusMessage reply = m_connection->call(get);
        return reply.arguments().value(0).value<QDBusVariant>().variant().toStringList();
    }
    QDBusMessage call(
        const QString& service, const QString& path, const QString& iface, const QString& method, const QVariantList& args = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, iface, method);
        message.setArguments(args);
        const QDBusMessage reply = m_connection->call(message);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(method) << ": " << qPrintable(reply.errorMessage());
        return reply;
    }
    xcb_window_t settingsWindow() const { return m_x.findWindow("Brimwell Settings", m_program.processId()); }

    PrivateXServer m_x;
    ChildProcess::PrivateBus m_bus;
    std::unique_ptr<QDBusConnection> m_connection;
    QProcess m_watcher;
    QProcess m_program;
};

} // namespace

TEST_F(TrayDBusTest, TheTrayMenuOpensSettingsAndASecondLaunchBringsTheSameWindowBack)
{
    {
        QSettings settings(path(QStringLiteral("config/com.larkmoor.Brimwell/settings.ini")), QSettings::IniFormat);
        settings.setValue(QStringLiteral("showMenuBarIcon"), true);
    }
    ASSERT_NO_FATAL_FAILURE(startWatcher());
    ASSERT_NO_FATAL_FAILURE(launch(m_program));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !registeredItems().isEmpty(); }, 15000)) << "the tray item never registered";
    const QString item = registeredItems().constFirst();

    const QDBusMessage menuPath
        = call(item, QStringLiteral("/StatusNotifierItem"), QStringLiteral("org.freedesktop.DBus.Properties"),
            QStringLiteral("Get"), { QStringLiteral("org.kde.StatusNotifierItem"), QStringLiteral("Menu") });
    const QString menu = menuPath.arguments().value(0).value<QDBusVariant>().variant().value<QDBusObjectPath>().path();
    ASSERT_FALSE(menu.isEmpty());
    const QDBusMessage layout
        = call(item, menu, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("GetLayout"), { 0, -1, QStringList() });
    const QList<MenuEntry> entries = children(layout.arguments().value(1).value<QDBusArgument>());
    ASSERT_EQ(entries.size(), 4);
    EXPECT_EQ(entries[0].label, QStringLiteral("Settings…"));
    EXPECT_EQ(entries[1].label, QStringLiteral("Launch at Login"));
    EXPECT_EQ(entries[1].toggleType, QStringLiteral("checkmark"));
    EXPECT_EQ(entries[1].toggleState, 0);
    EXPECT_EQ(entries[2].type, QStringLiteral("separator"));
    EXPECT_EQ(entries[3].label, QStringLiteral("Quit Brimwell"));

    EXPECT_EQ(settingsWindow(), 0u) << "made on first use";
    call(item, menu, QStringLiteral("com.canonical.dbusmenu"), QStringLiteral("Event"),
        { entries[0].id, QStringLiteral("clicked"), QVariant::fromValue(QDBusVariant(0)), 0u });
    xcb_window_t window = 0;
    ASSERT_TRUE(m_x.waitFor([&] { return (window = settingsWindow()) != 0 && m_x.isViewable(window); }, 10000));

    // Closed (as a window manager's close button does), then Brimwell launched again.
    m_x.sendClientMessage(window, m_x.atom("WM_PROTOCOLS"), { m_x.atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME });
    ASSERT_TRUE(m_x.waitFor([&] { return !m_x.isViewable(window); }));
    QProcess second;
    ASSERT_NO_FATAL_FAILURE(launch(second));
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(m_x.waitFor([&] { return m_x.isViewable(window); }, 10000));
    EXPECT_EQ(settingsWindow(), window);
}
