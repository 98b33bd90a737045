#include "ChildProcess.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

// The real program maps Evolution Data Server's libraries only once the
// user allowed the calendar. Its bus activates nothing, so the store, once
// loaded, finds no server and says so.
namespace {

struct CalendarProgramRun {
    QByteArray log;
    QByteArray maps;
};

// Runs the program with `settings` until its log holds `needle`, and reads what it has mapped then.
CalendarProgramRun runUntil(const QVariantMap& settings, const QByteArray& needle, const QString& prefix = {})
{
    QTemporaryDir home;
    ChildProcess::PrivateBus session(ChildProcess::writeBusConfig(home.filePath("bus.conf")));
    QProcessEnvironment env = ChildProcess::isolatedEnvironment(home.path());
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("DBUS_SESSION_BUS_ADDRESS", session.address);
    if (!prefix.isEmpty())
        env.insert("BRIMWELL_PREFIX", prefix);
    ChildProcess::writeSettings(home.path(), settings);

    ChildProcess::Brimwell program;
    program.launch(env);
    CalendarProgramRun run;
    const bool logged = program.logShows(needle);
    QFile maps(QStringLiteral("/proc/%1/maps").arg(program.processId()));
    if (logged && maps.open(QIODevice::ReadOnly))
        run.maps = maps.readAll();
    program.stop();
    run.log = program.log;
    return run;
}

} // namespace

TEST(CalendarModuleTest, EvolutionDataServerIsLoadedOnlyOnceTheCalendarIsAllowed)
{
    const QVariantMap allowed { { "Calendars/access", "granted" } };
    const CalendarProgramRun asked = runUntil({}, ") running");
    ASSERT_FALSE(asked.maps.isEmpty()) << asked.log.constData();
    EXPECT_FALSE(asked.maps.contains("brimwell_eds"));
    EXPECT_FALSE(asked.maps.contains("libecal"));

    const CalendarProgramRun granted = runUntil(allowed, "Evolution Data Server is not available");
    ASSERT_FALSE(granted.maps.isEmpty()) << granted.log.constData();
    EXPECT_TRUE(granted.maps.contains("brimwell_eds"));
    EXPECT_TRUE(granted.maps.contains("libecal"));

    // Without the module: one line naming it, and the program runs on.
    QTemporaryDir emptyPrefix;
    const CalendarProgramRun missing = runUntil(allowed, "Could not load", emptyPrefix.path());
    ASSERT_FALSE(missing.maps.isEmpty()) << missing.log.constData();
    EXPECT_TRUE(missing.log.contains("libbrimwell_eds.so")) << missing.log.constData();
    EXPECT_FALSE(missing.maps.contains("libecal"));
}
