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

const char* const registryName = "org.gnome.evolution.dataserver.Sources5";
const char* const factoryName = "org.gnome.evolution.dataserver.Calendar8";

QStringList titles(const QList<CalendarEvent>& events)
{
    QStringList out;
    for (const CalendarEvent& e : events)
        out << e.title;
    return out;
}

class EdsCalendarStoreTest : public TempDirTest {
protected:
    ~EdsCalendarStoreTest() override
    {
        for (QProcess* p : { &m_registry, &m_factory }) {
            p->terminate();
            if (!p->waitForFinished(3000))
                p->kill();
        }
    }

    bool startServer()
    {
        QProcessEnvironment env = ChildProcess::isolatedEnvironment(path(QStringLiteral("home")));
        env.insert(QStringLiteral("HOME"), path(QStringLiteral("home")));
        env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_bus.address);
        env.insert(QStringLiteral("GSETTINGS_BACKEND"), QStringLiteral("memory"));
        m_registry.setProcessEnvironment(env);
        m_factory.setProcessEnvironment(env);
        m_registry.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_factory.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_registry.start(QStringLiteral("/usr/libexec/evolution-source-registry"), {});
        m_factory.start(QStringLiteral("/usr/libexec/evolution-calendar-factory"), {});
        QDBusConnection bus = QDBusConnection::connectToBus(m_bus.address, QStringLiteral("eds-test"));
        return QTest::qWaitFor(
            [&] {
                return bus.interface()->isServiceRegistered(QString::fromLatin1(registryName))
                    && bus.interface()->isServiceRegistered(QString::fromLatin1(factoryName));
            },
            30000);
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

    static ICalComponent* event(const QString& title, const QDateTime& start)
    {
        const auto utc = [](const QDateTime& t) { return t.toUTC().toString(QStringLiteral("yyyyMMdd'T'HHmmss'Z'")); };
        const QString text
            = QStringLiteral("BEGIN:VEVENT\r\nUID:brimwell-test\r\nSUMMARY:%1\r\nDTSTART:%2\r\nDTEND:%3\r\nEND:VEVENT\r\n")
                  .arg(title, utc(start), utc(start.addSecs(3600)));
        return i_cal_component_new_from_string(text.toUtf8().constData());
    }

    // The views' changes settle after the store's quiet period, in virtual time.
    bool waitForToday(const QStringList& expected)
    {
        return QTest::qWaitFor(
            [&] {
                m_scheduler.advance(100);
                return titles(m_service->todayEvents()) == expected;
            },
            20000);
    }

    ChildProcess::PrivateBus m_bus { ChildProcess::writeBusConfig(path(QStringLiteral("bus.conf"))) };
    QProcess m_registry;
    QProcess m_factory;
    // Today just after midnight, so the events of the test stay today.
    ManualScheduler m_scheduler { QDate::currentDate().startOfDay().addSecs(60) };
    std::unique_ptr<UserDefaults> m_defaults;
    std::unique_ptr<EdsCalendarStore> m_store;
    std::unique_ptr<CalendarService> m_service;
};

} // namespace

TEST_F(EdsCalendarStoreTest, TodayFollowsEventsMadeChangedAndRemovedThroughLibecal)
{
    ASSERT_FALSE(m_bus.address.isEmpty());
    // GDBus reads the session bus address once, at its first use.
    qputenv("DBUS_SESSION_BUS_ADDRESS", m_bus.address.toUtf8());
    qputenv("GSETTINGS_BACKEND", "memory");
    m_defaults = std::make_unique<UserDefaults>(path(QStringLiteral("settings.ini")));
    m_defaults->setString(CalendarService::accessKey(), QStringLiteral("granted"));
    m_store = std::make_unique<EdsCalendarStore>(m_defaults->path(), m_scheduler);
    m_service = std::make_unique<CalendarService>(*m_store, *m_defaults, m_scheduler, m_scheduler);

    // No server on the bus: no events and one line that says so.
    {
        LogCapture log;
        m_service->start();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !log.entries.empty(); }, 10000));
        EXPECT_TRUE(log.messages().first().startsWith(QStringLiteral("Evolution Data Server is not available (")))
            << qPrintable(log.messages().join('\n'));
        EXPECT_TRUE(m_service->todayEvents().isEmpty());
        m_service->stop();
    }

    if (!startServer())
        BRIMWELL_MISSING_REAL_PART("Evolution Data Server's registry and calendar factory did not start on the private bus");
    m_service->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_store->isReady(); }, 30000));

    ECalClient* client = openLocalCalendar();
    ASSERT_TRUE(client);
    const QDateTime start = m_scheduler.now().addSecs(3600);
    GError* error = nullptr;
    gchar* uid = nullptr;
    ICalComponent* planning = event(QStringLiteral("Planning"), start);
    ASSERT_TRUE(e_cal_client_create_object_sync(client, planning, E_CAL_OPERATION_FLAG_NONE, &uid, nullptr, &error))
        << (error ? error->message : "");
    g_object_unref(planning);
    EXPECT_TRUE(waitForToday({ "Planning" })) << qPrintable(titles(m_service->todayEvents()).join(','));
    ASSERT_EQ(m_service->todayEvents().size(), 1);
    EXPECT_EQ(m_service->todayEvents()[0].startDate, start);

    ICalComponent* moved = event(QStringLiteral("Planning, moved"), start.addSecs(1800));
    ASSERT_TRUE(e_cal_client_modify_object_sync(client, moved, E_CAL_OBJ_MOD_ALL, E_CAL_OPERATION_FLAG_NONE, nullptr, &error))
        << (error ? error->message : "");
    g_object_unref(moved);
    EXPECT_TRUE(waitForToday({ "Planning, moved" })) << qPrintable(titles(m_service->todayEvents()).join(','));

    ASSERT_TRUE(
        e_cal_client_remove_object_sync(client, uid, nullptr, E_CAL_OBJ_MOD_ALL, E_CAL_OPERATION_FLAG_NONE, nullptr, &error))
        << (error ? error->message : "");
    EXPECT_TRUE(waitForToday({})) << qPrintable(titles(m_service->todayEvents()).join(','));
    g_free(uid);
    g_object_unref(client);
    m_service->stop();
}
