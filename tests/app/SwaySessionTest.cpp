#include "SwaySession.h"
#include "PrivateXServer.h"
#include "RealPart.h"

#include <gtest/gtest.h>

// The real program on a Wayland session through XWayland, with a real
// compositor and a real pointer: sway, a Wayland window (foot) filling the
// output, and a virtual pointer on sway's seat.
namespace {

const QRect closedPill(565, 0, 150, 22);
const QRect openPill(356, 0, 568, 237);

class SwaySessionTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!session.failure.isEmpty())
            BRIMWELL_MISSING_REAL_PART(qPrintable(session.failure));
        session.startAsUser(foot, "foot", { "sleep", "600" }, session.environment());
        ASSERT_TRUE(SwaySession::waitFor([&] { return session.run("swaymsg", { "[app_id=foot] focus" }) == 0; }, 10000))
            << "foot did not map: " << qPrintable(session.log());
        x = std::make_unique<PrivateXServer>(session.xwaylandDisplay());
        ASSERT_TRUE(x->isRunning()) << "cannot reach XWayland at " << qPrintable(session.xwaylandDisplay());
    }
    void TearDown() override
    {
        foot.kill();
        foot.waitForFinished(5000);
    }

    void launch()
    {
        // sway offers the layer shell, so the XWayland path (GNOME's) is chosen here.
        QProcessEnvironment env = session.environment();
        env.insert("QT_QPA_PLATFORM", "xcb");
        session.startAsUser(program, qEnvironmentVariable("BRIMWELL_EXECUTABLE"), {}, env);
        ASSERT_TRUE(program.logShows("Island placed on")) << program.log.constData();
        ASSERT_NE(panel = x->islandOf(program.processId()), 0u);
        ASSERT_TRUE(frameBecomes(closedPill)) << program.log.constData();
    }
    /// A pointer that comes to rest on `at`, as a hand moves it: onto the
    /// island, then a last motion on it. sway shows the panel only once its
    /// first frame is drawn, after the X server already has it mapped; a
    /// motion before that goes to the window below and never reaches the X
    /// server, so the first motion is repeated until it does.
    void hoverAt(QPoint at)
    {
        const QPoint first(at.x() - 2, at.y() + 1);
        bool reached = false;
        for (int attempt = 0; attempt < 10 && !reached; ++attempt) {
            ASSERT_TRUE(session.movePointer(first.x(), first.y() + (attempt % 2)));
            reached = x->waitFor([&] { return x->pointer().x() == first.x(); }, 500);
        }
        ASSERT_TRUE(reached) << "the compositor never brought the pointer onto the island";
        ASSERT_TRUE(session.movePointer(at.x(), at.y()));
    }
    bool frameBecomes(const QRect& frame) { return x->geometryBecomes(panel, frame); }

    SwaySession session;
    QProcess foot;
    std::unique_ptr<PrivateXServer> x;
    ChildProcess::Brimwell program;
    xcb_window_t panel = 0;
};

} // namespace

TEST_F(SwaySessionTest, TheIslandLetsGoWhenThePointerLeavesOntoAWaylandWindow)
{
    ASSERT_NO_FATAL_FAILURE(launch());

    hoverAt({ 640, 10 });
    // Opening reshapes the panel under the resting pointer; that its leave and
    // enter keep it open is the controller's test, in virtual time.
    ASSERT_TRUE(frameBecomes(openPill)) << program.log.constData();
    // Onto foot: the X server keeps the pointer where it last saw it, on
    // the island; the leave from the compositor decides.
    ASSERT_TRUE(session.movePointer(640, 600));
    EXPECT_TRUE(frameBecomes(closedPill));
    EXPECT_TRUE(closedPill.contains(x->pointer())) << "the X server's pointer is not stale here; the test proves nothing";
    EXPECT_EQ(program.state(), QProcess::Running);
}
