#include "ChildProcess.h"
#include "DBusMock.h"
#include "PrivateXServer.h"
#include "RealPart.h"
#include "TempDir.h"

#include <QDBusArgument>
#include <QDBusMessage>
#include <QDBusVariant>
#include <QStandardPaths>
#include <QTest>

#include <algorithm>

#include <gtest/gtest.h>

// The real program's tray item on a private session bus whose panel is
// python3-dbusmock playing a StatusNotifierWatcher: the item registers, its
// menu is read and clicked over dbusmenu, and a second launch brings back
// the same settings window. A click (Activate, or a left click in a real
// XEmbed tray: tint2 under openbox) opens the menu at the pointer, and a
// tray that starts after the program still gets the icon.
namespace {

const QString watcherName = "org.kde.StatusNotifierWatcher";

QVariantMap properties(const QDBusArgument& arg)
{
    QVariantMap map;
    arg >> map;
    return map;
}

// The labels of a dbusmenu layout's (ia{sv}av) children, by their ids. What
// the menu holds is the tray's unit test's; here it is only found and clicked.
QMap<QString, int> children(const QDBusArgument& layout)
{
    QMap<QString, int> entries;
    int id = 0;
    layout.beginStructure();
    layout >> id;
    properties(layout);
    layout.beginArray();
    while (!layout.atEnd()) {
        QDBusVariant child;
        layout >> child;
        const QDBusArgument item = child.variant().value<QDBusArgument>();
        int id = 0;
        item.beginStructure();
        item >> id;
        entries.insert(properties(item).value("label").toString(), id);
    }
    layout.endArray();
    layout.endStructure();
    return entries;
}

// A shown menu of the program at the pointer `at`. Near an edge Qt moves it
// into the work area, beside the pointer rather than under it.
bool menuAt(const PrivateXServer& x, qint64 pid, QPoint at)
{
    const auto windows = x.windowsOf(pid);
    return std::any_of(windows.begin(), windows.end(), [&](const PrivateXServer::ProcessWindow& w) {
        return w.topLevel && w.viewable && w.overrideRedirect && w.rect.height() > 40
            && w.rect.adjusted(-32, -32, 32, 32).contains(at);
    });
}

class TrayDBusTest : public TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_x.isRunning()) << "Xvfb did not start";
        ASSERT_FALSE(m_bus.address.isEmpty()) << "dbus-daemon did not start";
        ASSERT_TRUE(m_connection.isConnected());
    }
    void TearDown() override
    {
        for (QProcess* p : { &m_tray, &m_windowManager }) {
            p->terminate();
            if (!p->waitForFinished(5000))
                p->kill();
        }
        m_watcher.reset();
    }

    QProcessEnvironment environment() const { return ChildProcess::x11Environment(m_dir.path(), m_x.display(), m_bus.address); }
    void startWatcher()
    {
        m_watcher = std::make_unique<DBusMock>(m_connection, m_bus.address, watcherName,
            QStringList { "-t", qEnvironmentVariable("BRIMWELL_SOURCE_DIR") + "/tests/app/status_notifier_watcher.py" });
    }
    /// The program with its tray icon on.
    void launch(ChildProcess::Brimwell& program)
    {
        ChildProcess::writeSettings(m_dir.path(), { { "showMenuBarIcon", true } });
        program.launch(environment());
        ASSERT_TRUE(program.waitForStarted(10000));
    }
    QVariant property(const QString& service, const QString& path, const QString& iface, const QString& name)
    {
        const QDBusMessage reply = call(service, path, "org.freedesktop.DBus.Properties", "Get", { iface, name });
        return reply.arguments().value(0).value<QDBusVariant>().variant();
    }
    QStringList registeredItems()
    {
        return property(watcherName, "/StatusNotifierWatcher", watcherName, "RegisteredStatusNotifierItems").toStringList();
    }
    QDBusMessage call(
        const QString& service, const QString& path, const QString& iface, const QString& method, const QVariantList& args = {})
    {
        QDBusMessage message = QDBusMessage::createMethodCall(service, path, iface, method);
        message.setArguments(args);
        const QDBusMessage reply = m_connection.call(message);
        EXPECT_EQ(reply.type(), QDBusMessage::ReplyMessage) << qPrintable(method) << ": " << qPrintable(reply.errorMessage());
        return reply;
    }
    xcb_window_t settingsWindow() const { return m_x.findWindow("Brimwell Settings", m_program.processId()); }
    /// A program of the desktop on the test's display, running until the test ends.
    void startDesktopProgram(QProcess& process, const QString& program, const QStringList& arguments)
    {
        if (QStandardPaths::findExecutable(program).isEmpty())
            BRIMWELL_MISSING_REAL_PART(qPrintable(program) << " is missing");
        process.setProcessEnvironment(environment());
        process.setStandardOutputFile(QProcess::nullDevice());
        process.setStandardErrorFile(QProcess::nullDevice());
        process.start(program, arguments);
        ASSERT_TRUE(process.waitForStarted(10000));
    }

    PrivateXServer m_x;
    ChildProcess::PrivateBus m_bus;
    BusConnection m_connection { m_bus.address, "tray-test" };
    std::unique_ptr<DBusMock> m_watcher;
    QProcess m_tray;
    QProcess m_windowManager;
    ChildProcess::Brimwell m_program;
};

} // namespace

TEST_F(TrayDBusTest, TheTrayMenuOpensSettingsAndASecondLaunchBringsTheSameWindowBack)
{
    ASSERT_NO_FATAL_FAILURE(startWatcher());
    ASSERT_NO_FATAL_FAILURE(launch(m_program));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !registeredItems().isEmpty(); }, 15000)) << "the tray item never registered";
    const QString item = registeredItems().constFirst();

    const QString menu
        = property(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Menu").value<QDBusObjectPath>().path();
    ASSERT_FALSE(menu.isEmpty());
    const QDBusMessage layout = call(item, menu, "com.canonical.dbusmenu", "GetLayout", { 0, -1, QStringList() });
    const QMap<QString, int> entries = children(layout.arguments().value(1).value<QDBusArgument>());
    ASSERT_TRUE(entries.contains("Settings…")) << qPrintable(entries.keys().join(','));

    call(item, menu, "com.canonical.dbusmenu", "Event",
        { entries.value("Settings…"), "clicked", QVariant::fromValue(QDBusVariant(0)), 0u });
    xcb_window_t window = 0;
    ASSERT_TRUE(m_x.waitFor([&] { return (window = settingsWindow()) != 0 && m_x.isViewable(window); }, 10000));

    // Closed (as a window manager's close button does), then Brimwell launched again.
    m_x.sendClientMessage(window, m_x.atom("WM_PROTOCOLS"), { m_x.atom("WM_DELETE_WINDOW"), XCB_CURRENT_TIME });
    ASSERT_TRUE(m_x.waitFor([&] { return !m_x.isViewable(window); }));
    ChildProcess::Brimwell second;
    ASSERT_NO_FATAL_FAILURE(launch(second));
    ASSERT_TRUE(second.waitForFinished(10000));
    EXPECT_EQ(second.exitCode(), 0);
    EXPECT_TRUE(m_x.waitFor([&] { return m_x.isViewable(window); }, 10000));
    EXPECT_EQ(settingsWindow(), window);

    // The panel's click on the item (Activate) opens the same menu at the pointer.
    const QPoint pointer(400, 300);
    m_x.movePointer(pointer.x(), pointer.y());
    EXPECT_FALSE(menuAt(m_x, m_program.processId(), pointer));
    call(item, "/StatusNotifierItem", "org.kde.StatusNotifierItem", "Activate", { pointer.x(), pointer.y() });
    EXPECT_TRUE(m_x.waitFor([&] { return menuAt(m_x, m_program.processId(), pointer); }, 10000));
}

TEST_F(TrayDBusTest, AWatcherThatStartsLaterGetsTheIconWithoutARestart)
{
    ASSERT_NO_FATAL_FAILURE(launch(m_program));
    ASSERT_TRUE(m_program.logShows("No system tray on this desktop"));
    ASSERT_NO_FATAL_FAILURE(startWatcher());
    EXPECT_TRUE(QTest::qWaitFor([&] { return !registeredItems().isEmpty(); }, 15000)) << "the tray item never registered";
    EXPECT_EQ(m_program.state(), QProcess::Running);
}

TEST_F(TrayDBusTest, AnXEmbedTrayThatStartsLaterDocksTheIconAndItsClickOpensTheMenu)
{
    ASSERT_NO_FATAL_FAILURE(launch(m_program));
    ASSERT_TRUE(m_program.logShows("No system tray on this desktop"));

    // tint2's tray, as on a desktop whose panel starts after the programs of the session.
    ASSERT_NO_FATAL_FAILURE(startDesktopProgram(m_windowManager, "openbox", { "--sm-disable" }));
    ASSERT_NO_FATAL_FAILURE(startDesktopProgram(m_tray, "tint2", { "-c", "/etc/xdg/tint2/tint2rc" }));
    QRect icon;
    ASSERT_TRUE(m_x.waitFor(
        [&] {
            for (const PrivateXServer::ProcessWindow& w : m_x.windowsOf(m_program.processId())) {
                if (!w.topLevel && w.viewable)
                    icon = w.rect;
            }
            return icon.isValid();
        },
        15000))
        << "the icon never docked in the tray";
    EXPECT_TRUE(m_program.logShows("XEmbed system tray appeared"));

    m_x.movePointer(icon.center().x(), icon.center().y());
    m_x.click();
    EXPECT_TRUE(m_x.waitFor([&] { return menuAt(m_x, m_program.processId(), icon.center()); }, 10000));

    m_tray.terminate();
    EXPECT_TRUE(m_program.logShows("XEmbed system tray went away"));
}
