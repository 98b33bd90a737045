#include "ChildProcess.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

// Runs the real program twice on a private session bus (and once more with
// no bus at all, where the lock file and local socket take over).
namespace {

class SingleInstanceTest : public ::testing::TestWithParam<bool> {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_home.isValid());
        m_env = QProcessEnvironment::systemEnvironment();
        m_env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
        m_env.insert(QStringLiteral("BRIMWELL_LOG"), QStringLiteral("stderr"));
        m_env.insert(QStringLiteral("XDG_CONFIG_HOME"), m_home.filePath(QStringLiteral("config")));
        m_env.insert(QStringLiteral("XDG_DATA_HOME"), m_home.filePath(QStringLiteral("data")));
        m_env.insert(QStringLiteral("XDG_RUNTIME_DIR"), m_home.path());
        if (GetParam()) {
            const QString address = ChildProcess::startPrivateBus(m_bus);
            ASSERT_FALSE(address.isEmpty()) << "dbus-daemon did not start";
            m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), address);
        } else {
            m_env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), QStringLiteral("unix:path=") + m_home.filePath(QStringLiteral("no-bus")));
        }
    }
    void TearDown() override
    {
        m_bus.kill();
        m_bus.waitForFinished(2000);
    }
    void start(QProcess& p)
    {
        p.setProcessEnvironment(m_env);
        p.start(qEnvironmentVariable("BRIMWELL_EXECUTABLE"), {});
    }

    QTemporaryDir m_home;
    QProcessEnvironment m_env;
    QProcess m_bus;
};

TEST_P(SingleInstanceTest, SecondCopyExitsCleanlyAndTheFirstReopensAndStopsOnSigterm)
{
    QProcess first;
    QByteArray firstErr;
    start(first);
    ASSERT_TRUE(ChildProcess::waitForStderr(first, firstErr, "[App] info: Brimwell ")) << firstErr.constData();

    QProcess second;
    start(second);
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second.exitCode(), 0);
    const QByteArray secondErr = second.readAllStandardError();
    EXPECT_TRUE(secondErr.contains("com.larkmoor.Brimwell[App] default: Another instance is already running; terminating\n"))
        << secondErr.constData();
    EXPECT_FALSE(secondErr.contains("info: Brimwell ")) << "the second copy must not launch";

    EXPECT_TRUE(ChildProcess::waitForStderr(first, firstErr, "Reopen requested")) << firstErr.constData();
    EXPECT_EQ(first.state(), QProcess::Running);

    first.terminate(); // SIGTERM
    ASSERT_TRUE(first.waitForFinished(5000));
    firstErr += first.readAllStandardError();
    EXPECT_EQ(first.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first.exitCode(), 0);
    EXPECT_TRUE(firstErr.contains("[App] info: Terminating")) << firstErr.constData();
}

INSTANTIATE_TEST_SUITE_P(Guards, SingleInstanceTest, ::testing::Values(true, false),
    [](const auto& info) { return info.param ? std::string("SessionBus") : std::string("LockFile"); });

} // namespace
