#include "EdsCalendarStore.h"
#include "CalendarService.h"
#include "ChildProcess.h"
#include "LogCapture.h"
#include "ManualScheduler.h"
#include "RealPart.h"
#include "TempDir.h"
#include "UserDefaults.h"

#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

#include <libecal/libecal.h>

// The calendar service over a real Evolution Data Server: its registry and
// calendar factory on the test's own bus, with their files in a temporary
// home. The bus activates nothing, so before they start there is no server.
namespace {

const QString registryName = QStringLiteral("org.gnome.evolution.dataserver.Sources5");
const QString factoryName = QStringLiteral("org.gnome.evolution.dataserver.Calendar8");

QStringList titles(const QList<CalendarEvent>& events)
{
    QStringList out;
    for (const CalendarEvent& e : events)
        out << e.title;
    return out;
}

// The local calendar, opened through libecal as another program would.
ECalClient* openLocalCalendar()
{
    GError* error = nullptr;
    ESourceRegistry* registry = e_source_registry_new_sync(nullptr, &error);
    EXPECT_TRUE(registry) << (error ? error->message : "");
    if (!registry)
        return nullptr;
    ESource* source = e_source_registry_ref_builtin_calendar(registry);
    EClient* client = e_cal_client_connect_sync(source, E_CAL_CLIENT_SOURCE_TYPE_EVENTS, 10, nullptr, &error);
    EXPECT_TRUE(client) << (error ? error->message : "");
    g_clear_error(&error);
    g_object_unref(source);
    g_object_unref(registry);
    return client ? E_CAL_CLIENT(client) : nullptr;
}

ICalComponent* icalEvent(const QString& title, const QDateTime& start)
{
    const auto utc = [](const QDateTime& t) { return t.toUTC().toString("yyyyMMdd'T'HHmmss'Z'"); };
    const QString text
        = QStringLiteral("BEGIN:VEVENT\r\nUID:brimwell-test\r\nSUMMARY:%1\r\nDTSTART:%2\r\nDTEND:%3\r\nEND:VEVENT\r\n")
              .arg(title, utc(start), utc(start.addSecs(3600)));
    return i_cal_component_new_from_string(text.toUtf8().constData());
}

using EdsCalendarStoreTest = TempDirTest;

} // namespace

TEST_F(EdsCalendarStoreTest, TodayFollowsEventsMadeChangedAndRemovedThroughLibecal)
{
    ChildProcess::PrivateBus bus { ChildProcess::writeBusConfig(path("bus.conf")) };
    ASSERT_FALSE(bus.address.isEmpty());
    // GDBus reads the session bus address once, at its first use.
    qputenv("DBUS_SESSION_BUS_ADDRESS", bus.address.toUtf8());
    qputenv("GSETTINGS_BACKEND", "memory");
    QProcess registry;
    QProcess factory;
    // Today just after midnight, so the events of the test stay today.
    ManualScheduler scheduler { QDate::currentDate().startOfDay().addSecs(60) };
    UserDefaults defaults(path("settings.ini"));
    defaults.setString(CalendarService::accessKey(), "granted");
    EdsCalendarStore store(defaults.path(), scheduler);
    CalendarService service(store, defaults, scheduler, scheduler);

    // No server on the bus: no events and one line that says so.
    {
        LogCapture log;
        service.start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !log.entries.empty(); }, 10000));
        EXPECT_TRUE(log.messages().first().startsWith("Evolution Data Server is not available ("))
            << qPrintable(log.messages().join('\n'));
        EXPECT_TRUE(service.todayEvents().isEmpty());
        service.stop();
    }

    QProcessEnvironment env = ChildProcess::isolatedEnvironment(path("home"));
    env.insert("HOME", path("home"));
    env.insert("DBUS_SESSION_BUS_ADDRESS", bus.address);
    env.insert("GSETTINGS_BACKEND", "memory");
    for (auto [process, name] : { std::pair { &registry, "source-registry" }, { &factory, "calendar-factory" } }) {
        process->setProcessEnvironment(env);
        process->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        process->start(QStringLiteral("/usr/libexec/evolution-") + name, {});
    }
    const QDBusConnection watcher = QDBusConnection::connectToBus(bus.address, "eds-test");
    const auto registered = [&](const QString& name) { return watcher.interface()->isServiceRegistered(name).value(); };
    if (!QTest::qWaitFor([&] { return registered(registryName) && registered(factoryName); }, 30000))
        BRIMWELL_MISSING_REAL_PART("Evolution Data Server's registry and calendar factory did not start on the private bus");
    service.start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return store.isReady(); }, 30000));
    // The views' changes settle after the store's quiet period, in virtual time.
    const auto expectToday = [&](const QStringList& expected) {
        EXPECT_TRUE(QTest::qWaitFor(
            [&] {
                scheduler.advance(100);
                return titles(service.todayEvents()) == expected;
            },
            20000))
            << qPrintable(titles(service.todayEvents()).join(','));
    };

    ECalClient* client = openLocalCalendar();
    ASSERT_TRUE(client);
    const QDateTime start = scheduler.now().addSecs(3600);
    GError* error = nullptr;
    const auto failure = [&] { return error ? error->message : ""; };
    gchar* uid = nullptr;
    ICalComponent* planning = icalEvent("Planning", start);
    ASSERT_TRUE(e_cal_client_create_object_sync(client, planning, E_CAL_OPERATION_FLAG_NONE, &uid, nullptr, &error)) << failure();
    g_object_unref(planning);
    expectToday({ "Planning" });
    ASSERT_EQ(service.todayEvents().size(), 1);
    EXPECT_EQ(service.todayEvents()[0].startDate, start);

    ICalComponent* moved = icalEvent("Planning, moved", start.addSecs(1800));
    ASSERT_TRUE(e_cal_client_modify_object_sync(client, moved, E_CAL_OBJ_MOD_ALL, E_CAL_OPERATION_FLAG_NONE, nullptr, &error))
        << failure();
    g_object_unref(moved);
    expectToday({ "Planning, moved" });

    ASSERT_TRUE(
        e_cal_client_remove_object_sync(client, uid, nullptr, E_CAL_OBJ_MOD_ALL, E_CAL_OPERATION_FLAG_NONE, nullptr, &error))
        << failure();
    expectToday({});
    g_free(uid);
    g_object_unref(client);
    service.stop();
}
