#include "ChildProcess.h"
#include "PrivateXServer.h"
#include "RealPart.h"
#include "TempDir.h"

#include <gtest/gtest.h>

// The real program in a Wayland session as GNOME or Plasma start it: weston
// (headless, with XWayland) is the compositor, started by scripts/test.
namespace {

class WaylandSessionTest : public TempDirTest {
protected:
    void SetUp() override
    {
        const QString wayland = qEnvironmentVariable("BRIMWELL_TEST_WAYLAND_DISPLAY");
        m_xwayland = qEnvironmentVariable("BRIMWELL_TEST_XWAYLAND_DISPLAY");
        if (wayland.isEmpty() || m_xwayland.isEmpty())
            BRIMWELL_MISSING_REAL_PART("No compositor: scripts/test starts weston for these tests");
        ASSERT_FALSE(m_bus.address.isEmpty()) << "dbus-daemon did not start";
        m_env = ChildProcess::x11Environment(m_dir.path(), m_xwayland, m_bus.address);
        m_env.remove("QT_QPA_PLATFORM");
        m_env.insert("WAYLAND_DISPLAY", wayland);
        m_env.insert("XDG_SESSION_TYPE", "wayland");
    }
    void start(const QProcessEnvironment& env)
    {
        m_program.launch(env);
        ASSERT_TRUE(m_program.waitForStarted(10000));
    }
    bool logShows(const QByteArray& text) { return m_program.logShows(text); }
    // SIGTERM runs the stop sequence; a crash or a hang fails here.
    void expectCleanTermination()
    {
        ASSERT_EQ(m_program.state(), QProcess::Running) << m_log.constData();
        EXPECT_TRUE(m_program.stop()) << m_log.constData();
    }

    QString m_xwayland;
    ChildProcess::PrivateBus m_bus;
    QProcessEnvironment m_env;
    ChildProcess::Brimwell m_program;
    const QByteArray& m_log = m_program.log;
};

TEST_F(WaylandSessionTest, RunsThroughXWaylandWithTheIslandAtThePillFrame)
{
    ASSERT_NO_FATAL_FAILURE(start(m_env));
    EXPECT_TRUE(logShows("[App] info: Wayland session: running through XWayland on display " + m_xwayland.toLatin1()))
        << m_log.constData();

    PrivateXServer x(m_xwayland);
    ASSERT_TRUE(x.isRunning());
    const xcb_window_t panel = x.islandOf(m_program.processId(), 10000);
    ASSERT_NE(panel, 0u) << m_log.constData();
    EXPECT_TRUE(x.geometryBecomes(panel, QRect(565, 0, 150, 22))) << x.geometry(panel).x() << "," << x.geometry(panel).y();
    expectCleanTermination();
}

TEST_F(WaylandSessionTest, WithoutXWaylandExitsNamingItAndAForcedWaylandPlatformRunsWithAWarning)
{
    QProcessEnvironment withoutXWayland = m_env;
    withoutXWayland.remove("DISPLAY");
    ASSERT_NO_FATAL_FAILURE(start(withoutXWayland));
    ASSERT_TRUE(m_program.waitForFinished(10000));
    EXPECT_EQ(m_program.exitStatus(), QProcess::NormalExit);
    EXPECT_NE(m_program.exitCode(), 0);
    EXPECT_TRUE(logShows("[App] error: Wayland session without XWayland: no X display answers (DISPLAY=unset)"))
        << m_log.constData();

    m_env.insert("QT_QPA_PLATFORM", "wayland");
    ASSERT_NO_FATAL_FAILURE(start(m_env));
    EXPECT_TRUE(logShows("[App] error: Running on the wayland platform, not X11")) << m_log.constData();
    EXPECT_TRUE(logShows("Island placed on")) << m_log.constData();
    EXPECT_FALSE(m_log.contains("XWayland on display"));
    expectCleanTermination();
}

} // namespace
