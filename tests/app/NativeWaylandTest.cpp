#include "RealPart.h"
#include "SwaySession.h"
#include "TestImages.h"

#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>

#include <gtest/gtest.h>

// The real program as a layer-shell surface of sway, with XWayland off, so
// nothing of it can go through X: what the compositor draws is read back
// with grim, and a virtual pointer on sway's seat moves over it.
namespace {

// The pill on a 1280x800 layout (an output of that size times the scale),
// in points: closed 150x20 and open 520x211, 2 below the top edge, centred.
constexpr QSize closedPoints(150, 20);
constexpr QSize openPoints(520, 211);
// The layout's centre line, in points.
constexpr int centre = 640;

class NativeWaylandTest : public ::testing::Test {
protected:
    void start(double scale)
    {
        m_scale = scale;
        session = std::make_unique<SwaySession>(false, QSize(int(1280 * scale), int(800 * scale)), scale);
        if (!session->failure.isEmpty())
            BRIMWELL_MISSING_REAL_PART(qPrintable(session->failure));
        ASSERT_NO_FATAL_FAILURE(launch());
        EXPECT_TRUE(program.log.contains("layer-shell surface")) << program.log.constData();
    }
    /// The program in the session, with the island's debug lines: the drag
    /// out is waited for by its start.
    void launch()
    {
        QProcessEnvironment env = session->environment();
        env.insert("QT_LOGGING_RULES", "brimwell.platform.display.debug=true");
        program.log.clear();
        session->startAsUser(program, qEnvironmentVariable("BRIMWELL_EXECUTABLE"), {}, env);
        ASSERT_TRUE(program.logShows("Island placed on")) << program.log.constData();
    }
    void TearDown() override
    {
        program.kill();
        program.waitForFinished(5000);
    }

    QImage screenshot()
    {
        const QString path = session->home() + "/shot.png";
        QFile::remove(path);
        // The band the open island takes, in layout points.
        if (session->run("grim", { "-g", "0,0 1280x260", path }) != 0)
            return {};
        return QImage(path).convertToFormat(QImage::Format_RGB32);
    }
    /// The island's outline on the screenshot: the box of the pixels darker
    /// than halfway between sway's grey background and black, so an edge
    /// pixel half covered counts once. The pointer rests below the band.
    static QRect darkBox(const QImage& shot)
    {
        QRect box;
        for (int y = 0; y < shot.height(); ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(shot.constScanLine(y));
            for (int x = 0; x < shot.width(); ++x) {
                if (qGray(line[x]) < 32)
                    box |= QRect(x, y, 1, 1);
            }
        }
        return box;
    }
    /// The box the island of `points` takes at this session's scale.
    QRect expected(QSize points) const
    {
        const double left = centre - points.width() / 2.0;
        return QRect(int(std::lround(left * m_scale)), int(std::lround(2 * m_scale)), int(std::lround(points.width() * m_scale)),
            int(std::lround(points.height() * m_scale)));
    }
    /// Waits until the island takes `box`, within a pixel on each edge.
    bool showsBox(const QRect& box, int boundMs = 5000)
    {
        return SwaySession::waitFor(
            [&] {
                m_lastBox = darkBox(screenshot());
                return box.adjusted(-1, -1, 1, 1).contains(m_lastBox) && m_lastBox.adjusted(-1, -1, 1, 1).contains(box);
            },
            boundMs);
    }
    QString describe() const
    {
        const QRect& b = m_lastBox;
        return QStringLiteral("island at %1x%2+%3+%4\n%5").arg(b.width()).arg(b.height()).arg(b.x()).arg(b.y()).arg(program.log);
    }
    /// Onto the island (`below` the top edge's) and a motion over it.
    void hover(int below = 0)
    {
        ASSERT_TRUE(session->movePointer(centre - 10, 8 + below));
        ASSERT_TRUE(session->movePointer(centre, 10 + below));
    }
    /// Onto the desktop, below where the open island reaches.
    bool park() { return session->movePointer(centre, 780); }

    /// One of the tests' own programs (tests/<name>) in the session, as a Qt
    /// program on Wayland.
    void startTool(QProcess& process, const char* name, const QStringList& arguments)
    {
        QProcessEnvironment env = session->environment();
        env.insert("QT_QPA_PLATFORM", "wayland");
        session->startAsUser(process,
            qEnvironmentVariable("BRIMWELL_BINARY_DIR") + QStringLiteral("/tests/") + QLatin1String(name), arguments, env);
    }
    /// test-drag-source started with `arguments`: its window fills the output
    /// below the island; pressed there, its drag is dropped on the island.
    void dropOnIsland(const QStringList& arguments)
    {
        QProcess source;
        startTool(source, "test-drag-source", arguments);
        // It maps a moment after it starts: press until the drag begins.
        bool pressed = false;
        for (int attempt = 0; attempt < 20 && !pressed; ++attempt) {
            ASSERT_TRUE(session->movePointer(centre, 700 + attempt % 2));
            ASSERT_TRUE(session->pressButton(true));
            pressed = source.waitForReadyRead(500) && source.readLine().trimmed() == "pressed";
            if (!pressed) {
                ASSERT_TRUE(session->pressButton(false));
            }
        }
        ASSERT_TRUE(pressed) << "the drag source never started a drag";
        ASSERT_TRUE(session->movePointer(centre, 300));
        ASSERT_TRUE(session->movePointer(centre, 12));
        // The drag over the island opens it on the shelf.
        ASSERT_TRUE(showsBox(expected(openPoints))) << qPrintable(describe());
        ASSERT_TRUE(session->movePointer(centre + 2, 14));
        ASSERT_TRUE(session->pressButton(false));
        ASSERT_TRUE(source.waitForReadyRead(5000));
        EXPECT_EQ(source.readLine().trimmed(), "dropped");
        source.waitForFinished(5000);
        ASSERT_TRUE(park());
    }
    /// A file of the program's data folder; empty when there is none.
    QByteArray dataFile(const char* name) const
    {
        QFile file(session->home() + "/data/com.larkmoor.Brimwell/" + name);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }
    qsizetype shelfItems() const { return QJsonDocument::fromJson(dataFile("shelf.json")).array().size(); }

    std::unique_ptr<SwaySession> session;
    ChildProcess::Brimwell program;
    double m_scale = 1;
    QRect m_lastBox;
};

} // namespace

TEST_F(NativeWaylandTest, OpensOnHoverTakesADropStaysBelowATopPanelAndEndsWithTheCompositor)
{
    ASSERT_NO_FATAL_FAILURE(start(1));
    ASSERT_TRUE(park());
    ASSERT_TRUE(showsBox(expected(closedPoints))) << qPrintable(describe());
    ASSERT_NO_FATAL_FAILURE(hover());
    ASSERT_TRUE(showsBox(expected(openPoints))) << qPrintable(describe());
    // Onto the desktop: the compositor's leave closes it, with nothing else
    // to ask.
    ASSERT_TRUE(park());
    ASSERT_TRUE(showsBox(expected(closedPoints))) << qPrintable(describe());

    // Another Wayland program drags two files onto the island, then a PNG.
    const QString files = session->home() + "/files/";
    QDir().mkpath(files);
    for (const char* name : { "a.txt", "b.txt" }) {
        QFile file(files + QLatin1String(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("shelved\n") == 8);
    }
    ASSERT_TRUE(TestImages::filled(QSize(8, 8), Qt::red).save(files + "c.png"));
    SwaySession::giveToUser(session->home());
    ASSERT_NO_FATAL_FAILURE(dropOnIsland(
        { "--uri", QUrl::fromLocalFile(files + "a.txt").toString(), "--uri", QUrl::fromLocalFile(files + "b.txt").toString() }));
    EXPECT_TRUE(SwaySession::waitFor([&] { return shelfItems() == 2; })) << shelfItems();
    ASSERT_NO_FATAL_FAILURE(dropOnIsland({ "--png", files + "c.png" }));
    EXPECT_TRUE(SwaySession::waitFor([&] { return shelfItems() == 3; })) << shelfItems();

    // A tile dragged out of the island reaches another program's window.
    QProcess target;
    startTool(target, "test-drag-source", { "--target" });
    // Its window fills the output, blue below the island.
    ASSERT_TRUE(SwaySession::waitFor([&] { return qBlue(screenshot().pixel(10, 230)) == 0xa0; }));
    // The shelf is the tab last shown; its tiles in the order they came:
    // the image, a.txt, b.txt. sway takes the drag only while the pointer is
    // still on the surface that was pressed: move over the tile until
    // Brimwell has started it. Once in CI the first press started nothing;
    // the island's pointer log then says what it saw, and the island is
    // opened and pressed again.
    bool started = false;
    for (int attempt = 0; attempt < 3 && !started; ++attempt) {
        if (attempt > 0) {
            qWarning("No drag out after press %d; the island's log ends:\n%s", attempt, program.log.right(800).constData());
            ASSERT_TRUE(session->pressButton(false));
            ASSERT_TRUE(park());
            ASSERT_TRUE(showsBox(expected(closedPoints))) << qPrintable(describe());
        }
        ASSERT_NO_FATAL_FAILURE(hover());
        ASSERT_TRUE(showsBox(expected(openPoints))) << qPrintable(describe());
        ASSERT_TRUE(session->movePointer(513, 140));
        ASSERT_TRUE(session->pressButton(true));
        for (int step = 0; step < 10 && !started; ++step) {
            ASSERT_TRUE(session->movePointer(530 + step, 160));
            started = program.logShows("Drag out of the island started", 500);
        }
    }
    ASSERT_TRUE(started) << program.log.constData();
    EXPECT_TRUE(program.log.contains("Drag out of the island started, offering text/uri-list")) << program.log.constData();
    // Over the island first: our own drag is no drop on it.
    const qsizetype entries = program.log.count("A drag entered the island");
    EXPECT_EQ(entries, 2) << "only the other program's two drops entered";
    ASSERT_TRUE(session->movePointer(560, 170));
    // Carry it over the target until the target sees it.
    QByteArray dropped;
    for (int attempt = 0; attempt < 20 && !dropped.contains("entered"); ++attempt) {
        ASSERT_TRUE(session->movePointer(640, 600 + attempt % 2));
        target.waitForReadyRead(250);
        dropped += target.readAllStandardOutput();
    }
    ASSERT_TRUE(dropped.contains("entered")) << "no drag reached the target";
    // Out of the island, the drag keeps it open: watched for longer than a
    // close would take (the next pointer check, then the spring).
    EXPECT_FALSE(showsBox(expected(closedPoints), 1500)) << "closed during its own drag";
    ASSERT_TRUE(session->pressButton(false));
    ASSERT_TRUE(SwaySession::waitFor([&] {
        dropped += target.readAllStandardOutput();
        return dropped.contains("dropped");
    })) << dropped.constData();
    EXPECT_TRUE(dropped.contains("dropped " + QUrl::fromLocalFile(files + "a.txt").toEncoded() + "\n")) << dropped.constData();
    EXPECT_TRUE(showsBox(expected(closedPoints))) << "still open once its drag ended off the island";
    program.log += program.readAllStandardError();
    EXPECT_EQ(program.log.count("A drag entered the island"), entries) << "its own drag was taken as a drop";
    target.kill();
    target.waitForFinished(5000);
    EXPECT_EQ(shelfItems(), 3) << "a tile dragged out stays on the shelf";

    // Copies of other programs reach the history through data control; one
    // marked as a password does not.
    const auto history = [&] { return dataFile("clipboard-history.json"); };
    ASSERT_EQ(session->run("wl-copy", { "copied on sway" }), 0);
    EXPECT_TRUE(SwaySession::waitFor([&] { return history().contains("copied on sway"); })) << history().constData();
    ASSERT_EQ(session->run("wl-copy", { "--type", "x-kde-passwordManagerHint", "secret" }), 0);
    ASSERT_EQ(session->run("wl-copy", { "after the password" }), 0);
    EXPECT_TRUE(SwaySession::waitFor([&] { return history().contains("after the password"); })) << history().constData();
    EXPECT_FALSE(history().contains("\"secret\"")) << history().constData();
    EXPECT_EQ(program.state(), QProcess::Running);

    // A bar that reserves the top 30 points, started after Brimwell: the
    // island moves below it.
    QProcess panel;
    startTool(panel, "test-layer-panel", { "30" });
    ASSERT_TRUE(panel.waitForReadyRead(5000) && panel.readLine().trimmed() == "ready");
    EXPECT_TRUE(showsBox(expected(closedPoints).translated(0, 30))) << qPrintable(describe());
    // Hover still opens it where it is.
    ASSERT_NO_FATAL_FAILURE(hover(30));
    EXPECT_TRUE(showsBox(expected(openPoints).translated(0, 30))) << qPrintable(describe());
    ASSERT_TRUE(park());

    // "At the top edge": over the bar.
    TearDown();
    ChildProcess::writeSettings(session->home(), { { "islandPosition", "topEdge" } });
    SwaySession::giveToUser(session->home());
    ASSERT_NO_FATAL_FAILURE(launch());
    EXPECT_TRUE(showsBox(expected(closedPoints))) << qPrintable(describe());
    panel.kill();
    panel.waitForFinished(5000);

    // The compositor going away ends the program with status 1, not a crash.
    session.reset();
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
}

TEST_F(NativeWaylandTest, DrawsAtTheOutputsPixelSizeAndSharpAtFractionalAndWholeScales)
{
    for (const double scale : { 1.25, 1.5, 2.0, 3.0 }) {
        SCOPED_TRACE(scale);
        TearDown();
        ASSERT_NO_FATAL_FAILURE(start(scale));
        ASSERT_TRUE(park());
        ASSERT_TRUE(showsBox(expected(closedPoints))) << qPrintable(describe());
        // A straight edge stays one step from the background to black: a
        // resampled buffer would blur it over two or more pixels.
        const QImage shot = screenshot();
        const int middle = m_lastBox.center().x();
        int between = 0;
        for (int y = 0; y < m_lastBox.top() + 4; ++y) {
            const int gray = qGray(shot.pixel(middle, y));
            between += gray > 4 && gray < 0x3b;
        }
        EXPECT_LE(between, 1) << "the top edge is blurred";
        // Drawn at the output's pixel size: a buffer of points the compositor
        // scales up takes the same box, sharp or not.
        EXPECT_TRUE(program.logShows(QStringLiteral("Island shown on HEADLESS-1 at scale %1").arg(scale).toUtf8()))
            << program.log.constData();
        ASSERT_NO_FATAL_FAILURE(hover());
        ASSERT_TRUE(showsBox(expected(openPoints))) << qPrintable(describe());
    }
}

// KDE Plasma's compositor, headless (its virtual backend), at a fractional
// scale it announces through the fractional scale protocol. There is no
// screenshot tool for it here, so the log tells what the island got.
TEST(NativeKWinTest, TheIslandShowsAtTheCompositorsFractionalScaleAndEndsWithIt)
{
    const QString kwinPath = QStandardPaths::findExecutable("kwin_wayland");
    if (kwinPath.isEmpty())
        BRIMWELL_MISSING_REAL_PART("kwin_wayland is not installed (kwin-wayland)");
    QTemporaryDir home;
    const QString runtime = home.path() + "/runtime";
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    // Debian gives kwin_wayland a file capability (to raise its priority)
    // that a container's bounding set refuses at exec; a copy has none.
    const QString kwin = home.path() + "/kwin_wayland";
    ASSERT_TRUE(QFile::copy(kwinPath, kwin));
    SwaySession::giveToUser(home.path());

    QProcessEnvironment env;
    env.insert("PATH", qEnvironmentVariable("PATH"));
    env.insert("HOME", home.path());
    env.insert("XDG_RUNTIME_DIR", runtime);
    env.insert("QT_QPA_PLATFORM", "offscreen");
    QProcess compositor;
    compositor.setProcessChannelMode(QProcess::MergedChannels);
    SwaySession::startAsUser(compositor, kwin,
        QStringLiteral("--virtual --no-lockscreen --socket wayland-kw --width 1280 --height 800 --scale 1.5").split(' '), env);
    ASSERT_TRUE(SwaySession::waitFor([&] { return QFile::exists(runtime + "/wayland-kw"); }, 20000))
        << compositor.readAll().constData();

    env.remove("QT_QPA_PLATFORM");
    env.insert("WAYLAND_DISPLAY", "wayland-kw");
    env.insert("XDG_SESSION_TYPE", "wayland");
    ChildProcess::isolate(env, home.path());
    ChildProcess::Brimwell program;
    SwaySession::startAsUser(program, qEnvironmentVariable("BRIMWELL_EXECUTABLE"), {}, env);
    EXPECT_TRUE(program.logShows("preferred scale 1.5")) << program.log.constData();
    EXPECT_TRUE(program.log.contains("layer-shell surface")) << program.log.constData();
    EXPECT_TRUE(program.log.contains("Island shown on Virtual-0")) << program.log.constData();

    compositor.kill();
    compositor.waitForFinished(5000);
    ASSERT_TRUE(program.waitForFinished(10000));
    EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(program.exitCode(), 1);
}
