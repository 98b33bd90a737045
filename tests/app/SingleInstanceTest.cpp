#include "ChildProcess.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <array>
#include <optional>

#include <gtest/gtest.h>

// Runs the real program twice on a private session bus, on one that refuses
// the name, and with no bus at all; without the name the lock file and local
// socket take over.
namespace {

enum class Bus { session, refusesName, none };

class ProgramRun : public ::testing::Test {
protected:
    void prepare(Bus bus)
    {
        ASSERT_TRUE(m_home.isValid());
        m_env = ChildProcess::isolatedEnvironment(m_home.path());
        m_env.insert("QT_QPA_PLATFORM", "offscreen");
        QString address = "unix:path=" + m_home.filePath("no-bus");
        if (bus != Bus::none) {
            // A bus whose policy lets nobody own the program's name.
            const QString config = bus == Bus::refusesName
                ? ChildProcess::writeBusConfig(m_home.filePath("bus.conf"), "com.larkmoor.Brimwell")
                : QString();
            address = m_bus.emplace(config).address;
            ASSERT_FALSE(address.isEmpty()) << "dbus-daemon did not start";
        }
        m_env.insert("DBUS_SESSION_BUS_ADDRESS", address);
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_env;
    std::optional<ChildProcess::PrivateBus> m_bus;
};

class SingleInstanceTest : public ProgramRun, public ::testing::WithParamInterface<Bus> {
protected:
    void SetUp() override { prepare(GetParam()); }
};

TEST_P(SingleInstanceTest, SecondCopyExitsCleanlyAndTheFirstReopensAndStopsOnSigterm)
{
    ChildProcess::Brimwell first;
    const QByteArray& firstErr = first.log;
    first.launch(m_env);
    ASSERT_TRUE(first.logShows("[App] info: Brimwell ")) << firstErr.constData();
    // A refused name is an error of the bus, not another copy.
    EXPECT_EQ(firstErr.contains("[App] error: Unable to own the bus name com.larkmoor.Brimwell"), GetParam() == Bus::refusesName)
        << firstErr.constData();

    ChildProcess::Brimwell second;
    second.launch(m_env);
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_TRUE(second.stop()) << "exits cleanly by itself";
    const QByteArray& secondErr = second.log;
    EXPECT_TRUE(secondErr.contains("com.larkmoor.Brimwell[App] default: Another instance is already running; terminating\n"))
        << secondErr.constData();
    EXPECT_FALSE(secondErr.contains("info: Brimwell ")) << "the second copy must not launch";

    EXPECT_TRUE(first.logShows("Reopen requested")) << firstErr.constData();
    EXPECT_EQ(first.state(), QProcess::Running);

    EXPECT_TRUE(first.stop()) << firstErr.constData(); // SIGTERM
    EXPECT_TRUE(firstErr.contains("[App] info: Terminating")) << firstErr.constData();
}

// A lock file that cannot be made is no other copy: the program starts.
TEST_F(ProgramRun, StartsWhenTheLockFileCannotBeMade)
{
    ASSERT_NO_FATAL_FAILURE(prepare(Bus::none));
    // A runtime folder whose path leaves no room for the lock file's name
    // (the path would pass PATH_MAX): an error, and one even root gets.
    QString runtime = m_home.path();
    while (runtime.size() < 4080)
        runtime += QLatin1Char('/') + QString(std::min<qsizetype>(200, 4079 - runtime.size()), QLatin1Char('r'));
    ASSERT_TRUE(QDir().mkpath(runtime));
    ASSERT_TRUE(QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner));
    m_env.insert("XDG_RUNTIME_DIR", runtime);

    ChildProcess::Brimwell only;
    only.launch(m_env);
    EXPECT_TRUE(only.logShows("[App] info: Brimwell ")) << only.log.constData();
    EXPECT_TRUE(only.log.contains("[App] error: Unable to take the lock file")) << only.log.constData();
    EXPECT_FALSE(only.log.contains("Another instance")) << only.log.constData();
    EXPECT_TRUE(only.stop());
}

INSTANTIATE_TEST_SUITE_P(
    Guards, SingleInstanceTest, ::testing::Values(Bus::session, Bus::refusesName, Bus::none), [](const auto& info) {
        return std::string(std::array { "SessionBus", "BusRefusesName", "LockFile" }[int(info.param)]);
    });

} // namespace
