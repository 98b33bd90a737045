#include "LogCapture.h"
#include "RealPart.h"
#include "SwaySession.h"
#include "WaylandDataControlClipboard.h"
#include "X11Clipboard.h"

#include <QSignalSpy>

#include <csignal>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>

// The clipboard through data control on a real compositor (sway, headless,
// without XWayland), written and read by the session's programs (wl-copy and
// wl-paste, as the session's user); the clipboard under test connects to the
// session's socket.
namespace {

using Kind = SystemClipboard::Kind;

TEST(WaylandClipboardTest, ReadsCopiesInWholeOrNotAtAllWritesItsOwnAndKeepsSecretsAndSilenceOut)
{
    auto session = std::make_unique<SwaySession>(false);
    if (!session->failure.isEmpty())
        BRIMWELL_MISSING_REAL_PART(qPrintable(session->failure));
    if (QStandardPaths::findExecutable("wl-copy").isEmpty())
        BRIMWELL_MISSING_REAL_PART("wl-clipboard is not installed");
    WaylandDataControlClipboard clipboard((session->runtimeDir() + "/wayland-1").toUtf8());
    const auto readNow = [&] {
        std::optional<SystemClipboard::Contents> result;
        clipboard.read([&](const SystemClipboard::Contents& c) { result = c; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
        return result.value_or(SystemClipboard::Contents {});
    };
    // Another program (wl-copy) copies `text`; what a read then gives.
    const auto copy = [&](const QByteArray& text, const QStringList& arguments = {}) {
        QSignalSpy changed(&clipboard, &SystemClipboard::changed);
        QProcess process;
        session->startAsUser(process, "wl-copy", arguments, session->environment());
        process.write(text);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(10000)); // wl-copy serves from a child of its own
        EXPECT_TRUE(changed.wait(5000));
        return readNow();
    };
    // What `wl-paste` gives, through a shell pipeline.
    const auto paste = [&](const QString& pipeline) {
        QProcess process;
        session->startAsUser(process, "sh", { "-c", pipeline }, session->environment());
        // We may be the source: our event loop must turn to answer.
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000));
        return process.readAllStandardOutput();
    };

    const int before = clipboard.changeCount();
    SystemClipboard::Contents contents = copy("copied by another program");
    EXPECT_GT(clipboard.changeCount(), before);
    EXPECT_EQ(contents.kind, Kind::plain);
    EXPECT_EQ(contents.text, "copied by another program");

    // Both sides of the text bound.
    EXPECT_EQ(copy(QByteArray(X11Clipboard::textBoundBytes, 'a')).text.value_or(QString()).size(), X11Clipboard::textBoundBytes);
    contents = copy(QByteArray(X11Clipboard::textBoundBytes + 1, 'b'));
    EXPECT_TRUE(contents.isTooLong);
    EXPECT_FALSE(contents.text);

    // Our own writes reach other programs; text reads back as ours.
    ASSERT_TRUE(clipboard.writeText("written back"));
    EXPECT_EQ(paste("wl-paste -n"), QByteArray("written back"));
    contents = readNow();
    EXPECT_EQ(contents.kind, Kind::own);
    EXPECT_FALSE(contents.text);
    ASSERT_TRUE(clipboard.writeFiles({ QUrl::fromLocalFile("/tmp/a b.txt") }));
    EXPECT_EQ(paste("wl-paste -n -t x-special/gnome-copied-files"), QByteArray("copy\nfile:///tmp/a%20b.txt"));
    EXPECT_EQ(readNow().kind, Kind::files);
    // More than the pipes hold goes as a slow reader takes it, while the
    // GUI thread goes on; a reader that leaves early costs only its answer.
    QSignalSpy changed(&clipboard, &SystemClipboard::changed);
    ASSERT_TRUE(clipboard.writeText(QString(300'000, QLatin1Char('x'))));
    ASSERT_TRUE(changed.wait(5000));
    const QString gate = session->home() + "/gate";
    ASSERT_EQ(::mkfifo(QFile::encodeName(gate).constData(), 0600), 0);
    SwaySession::giveToUser(gate);
    QProcess slow;
    session->startAsUser(slow, "timeout",
        { "20", "sh", "-c", QStringLiteral("wl-paste -n | { head -c 1 >/dev/null; read go < %1; wc -c; }").arg(gate) },
        session->environment());
    // The reader takes a byte, then waits at the gate: only a GUI thread
    // that still turns sees it there.
    int fd = -1;
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return (fd = ::open(QFile::encodeName(gate).constData(), O_WRONLY | O_NONBLOCK)) >= 0; }, 10000));
    EXPECT_EQ(::write(fd, "go\n", 3), 3);
    ::close(fd);
    EXPECT_TRUE(QTest::qWaitFor([&] { return slow.state() == QProcess::NotRunning; }, 10000));
    EXPECT_EQ(slow.readAllStandardOutput().trimmed(), QByteArray("299999"));
    EXPECT_EQ(paste("wl-paste -n | head -c 3"), QByteArray("xxx"));

    // A marked secret is not plain; a program that never answers costs nothing.
    EXPECT_EQ(copy("secret", { "--type", "x-kde-passwordManagerHint" }).kind, Kind::secret);

    // A copying program stopped before it answers.
    QProcess silent;
    session->startAsUser(silent, "wl-copy", { "--foreground", "never sent" }, session->environment());
    ASSERT_TRUE(changed.wait(5000));
    ASSERT_EQ(::kill(pid_t(silent.processId()), SIGSTOP), 0);
    std::optional<SystemClipboard::Contents> result;
    clipboard.read([&](const SystemClipboard::Contents& c) { result = c; });
    EXPECT_FALSE(result) << "the read returns before the program answers";
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
    EXPECT_TRUE(result->timedOut);
    EXPECT_FALSE(result->text);

    // The next copy reads as usual.
    EXPECT_EQ(copy("after the silence").text, "after the silence");
    silent.kill();
    silent.waitForFinished(5000);

    // The compositor going away ends the clipboard, not the program.
    LogCapture log;
    session.reset();
    EXPECT_TRUE(QTest::qWaitFor([&] { return log.mentions("Lost the compositor's clipboard"); }, 10000));
    EXPECT_FALSE(clipboard.writeText("nowhere"));
    EXPECT_FALSE(readNow().text);
}

TEST(WaylandClipboardWithoutDataControlTest, NoticesNothingAndWritesNothing)
{
    // weston offers no data control; scripts/test starts it.
    const QByteArray weston = qgetenv("BRIMWELL_TEST_WAYLAND_DISPLAY");
    if (weston.isEmpty())
        BRIMWELL_MISSING_REAL_PART("no weston (BRIMWELL_TEST_WAYLAND_DISPLAY is not set)");
    for (const QByteArray& display : { weston, QByteArray("/nonexistent/wayland-0") }) {
        LogCapture log;
        WaylandDataControlClipboard clipboard(display);
        EXPECT_EQ(log.messages().size(), 1) << display.constData();
        EXPECT_FALSE(clipboard.writeText("nowhere"));
        std::optional<SystemClipboard::Contents> result;
        clipboard.read([&](const SystemClipboard::Contents& contents) { result = contents; });
        ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
        EXPECT_EQ(result->kind, Kind::plain);
        EXPECT_FALSE(result->text || result->timedOut);
        EXPECT_EQ(clipboard.changeCount(), 0);
    }
}

} // namespace
