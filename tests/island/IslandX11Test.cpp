#include "ChildProcess.h"
#include "PrivatePulseServer.h"
#include "PrivateXServer.h"
#include "QtScreenSource.h"
#include "TempDir.h"
#include "ViewProbe.h"
#include "X11SelectionOwner.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSettings>

#include <gtest/gtest.h>

// The real program on an X server of the test's own, watched and driven
// from outside through the X protocol as a user and a drag source would.
namespace {

const QRect closedPill(565, 0, 150, 22);
const QRect openPill(356, 0, 568, 237);
constexpr uint32_t background = 0x3060a0;

class IslandOnX11Test : public TempDirTest {
protected:
    void SetUp() override { ASSERT_TRUE(x.isRunning()) << "Xvfb did not start"; }
    void TearDown() override
    {
        program.terminate();
        program.waitForFinished(5000);
    }

    QSettings settingsFile() const
    {
        return QSettings(path(QStringLiteral("config/com.larkmoor.Brimwell/settings.ini")), QSettings::IniFormat);
    }

    void launch()
    {
        QProcessEnvironment env = ChildProcess::isolatedEnvironment(m_dir.path());
        // No session bus: the single-instance guard uses its lock file here.
        env.remove(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"));
        env.insert(QStringLiteral("DISPLAY"), x.display());
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        program.setProcessEnvironment(env);
        program.start(qEnvironmentVariable("BRIMWELL_EXECUTABLE"), {});
        ASSERT_TRUE(program.waitForStarted(10000));
        ASSERT_TRUE(ChildProcess::waitForStderr(program, log, "Island placed on")) << log.constData();
        ASSERT_TRUE(x.waitFor([this] { return (panel = x.findWindow("Brimwell Island", program.processId())) != 0; }));
        x.follow(panel);
    }

    bool frameBecomes(const QRect& frame, int boundMs = 5000)
    {
        return x.waitFor([&] { return x.geometry(panel) == frame; }, boundMs);
    }
    QRect frame() const { return x.geometry(panel); }

    PrivateXServer x;
    QProcess program;
    QByteArray log;
    xcb_window_t panel = 0;
};

} // namespace

TEST_F(IslandOnX11Test, OpensUnderThePointerAndClosesWhenItLeaves)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    EXPECT_TRUE(frameBecomes(closedPill)) << frame().x() << "," << frame().y() << " " << frame().width() << "x"
                                          << frame().height();
    EXPECT_TRUE(x.isOverrideRedirect(panel));
    EXPECT_EQ(x.property(panel, XCB_ATOM_WM_CLASS), QByteArray("brimwell\0brimwell\0", 18));
    EXPECT_TRUE(x.property(panel, x.atom("XdndAware"))); // the shelf is on by default
    EXPECT_TRUE(log.contains("No system bus; screens are not re-read after sleep"));

    // Only the island is drawn; the rest of the panel shows what lies below.
    x.setBackground(background);
    EXPECT_TRUE(x.waitFor([&] { return x.pixel(640, 12) == 0 && x.pixel(565, 2) == background; }));

    x.movePointer(640, 10);
    ASSERT_TRUE(frameBecomes(openPill)) << frame().width() << "x" << frame().height();
    EXPECT_TRUE(x.waitFor([&] { return x.pixel(640, 200) == 0 && x.pixel(360, 230) == background; }));

    x.movePointer(640, 600);
    EXPECT_TRUE(frameBecomes(closedPill, 3000));
    EXPECT_TRUE(x.waitFor([&] { return x.pixel(640, 200) == background; }));
}

TEST_F(IslandOnX11Test, UnderACompositingManagerTheWholePanelStaysTheWindow)
{
    // Alpha is blended there, so the scene's own transparency is used, soft
    // edges and shadows included. (This server does not blend: the
    // transparent margin shows black.)
    x.ownSelection("_NET_WM_CM_S0");
    x.setBackground(background);
    ASSERT_NO_FATAL_FAILURE(launch());
    x.movePointer(640, 10);
    ASSERT_TRUE(frameBecomes(openPill));
    EXPECT_TRUE(x.waitFor([&] { return x.pixel(360, 230) == 0; }));
}

TEST_F(IslandOnX11Test, NotchFromTheDefaultsFileAndNoDropTargetWithTheShelfOff)
{
    {
        QSettings settings = settingsFile();
        settings.setValue(QStringLiteral("DisplayNotches/screen"), QStringLiteral("200x32"));
        settings.setValue(QStringLiteral("showShelf"), false);
    }
    ASSERT_NO_FATAL_FAILURE(launch());
    EXPECT_TRUE(log.contains("Island placed on screen style notch compact 356.000000x32.000000")) << log.constData();
    EXPECT_TRUE(frameBecomes(QRect(462, 0, 356, 32)));
    EXPECT_FALSE(x.property(panel, x.atom("XdndAware")));
}

TEST_F(IslandOnX11Test, FollowsScreensComingAndGoingBackToThePreferredOne)
{
    const QString second = QtScreenSource::displayUUID({}, {}, {}, QStringLiteral("second"));
    settingsFile().setValue(QStringLiteral("preferredDisplayID"), second);
    ASSERT_NO_FATAL_FAILURE(launch());
    // Preferred display not connected: the primary screen.
    EXPECT_TRUE(frameBecomes(closedPill));

    ASSERT_TRUE(x.setMonitor("second", QRect(1280, 0, 1024, 768)));
    EXPECT_TRUE(frameBecomes(QRect(1717, 0, 150, 22))) << frame().x();
    ASSERT_TRUE(x.deleteMonitor("second"));
    EXPECT_TRUE(frameBecomes(closedPill)) << frame().x();

    // A notch override written meanwhile is read at the next screen change.
    settingsFile().setValue(QStringLiteral("DisplayNotches/second"), QStringLiteral("200x32"));
    ASSERT_TRUE(x.setMonitor("second", QRect(1280, 0, 1024, 768)));
    EXPECT_TRUE(frameBecomes(QRect(1614, 0, 356, 32))) << frame().x();
}

TEST_F(IslandOnX11Test, DragEnteringOpensAtOnceAndTheDropIsRefusedWithoutAShelf)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(frameBecomes(closedPill));
    // The pointer stays far away; only the drag source talks to the island.
    x.movePointer(640, 600);
    const xcb_window_t source = x.createWindow();
    const xcb_atom_t status = x.atom("XdndStatus");
    const uint32_t version = 5;
    x.sendClientMessage(panel, x.atom("XdndEnter"), { source, version << 24, x.atom("text/uri-list"), x.atom("text/plain"), 0 });
    x.sendClientMessage(
        panel, x.atom("XdndPosition"), { source, 0, (640u << 16) | 10u, XCB_CURRENT_TIME, x.atom("XdndActionCopy") });

    std::optional<xcb_client_message_event_t> answer;
    ASSERT_TRUE(x.waitFor([&] { return (answer = x.takeClientMessage(status)).has_value(); }));
    EXPECT_EQ(answer->data.data32[0], panel);
    EXPECT_EQ(answer->data.data32[1] & 1, 1u) << "the island takes the drag";
    EXPECT_TRUE(frameBecomes(openPill));

    x.sendClientMessage(panel, x.atom("XdndDrop"), { source, 0, XCB_CURRENT_TIME, 0, 0 });
    std::optional<xcb_client_message_event_t> finished;
    ASSERT_TRUE(x.waitFor([&] { return (finished = x.takeClientMessage(x.atom("XdndFinished"))).has_value(); }));
    EXPECT_EQ(finished->data.data32[1] & 1, 0u) << "no shelf to take the drop";
    EXPECT_TRUE(ChildProcess::waitForStderr(program, log, "refused: the shelf is not available"));
    // The pointer is outside, so the pointer watch closes the island.
    EXPECT_TRUE(frameBecomes(closedPill, 3000));
}

TEST_F(IslandOnX11Test, VolumeKeysMoveTheRealSinkAndTheNotchShowsTheLevel)
{
    PrivatePulseServer pulse({ QStringLiteral("speakers") });
    ASSERT_TRUE(pulse.start()) << "pulseaudio did not start";
    ASSERT_EQ(pulse.pactl({ "set-sink-volume", "speakers", "50%" }).exitCode, 0);
    const auto sinkReads = [&](const char* text) {
        return x.waitFor([&] { return pulse.pactl({ "get-sink-volume", "speakers" }).output.contains(QLatin1String(text)); });
    };
    const auto type = [&](const char* keys) {
        return QProcess::execute(QStringLiteral("xdotool"), { QStringLiteral("key"), QLatin1String(keys) }) == 0;
    };
    {
        QSettings settings = settingsFile();
        settings.setValue(QStringLiteral("DisplayNotches/screen"), QStringLiteral("200x32"));
        settings.setValue(QStringLiteral("replaceSystemHUD"), true);
    }
    // The desktop's own handler holds one key: Brimwell waits for it.
    const xcb_keycode_t lowerVolume = x.keycode(0x1008FF11);
    ASSERT_NE(lowerVolume, 0) << "the test server's keymap lacks XF86AudioLowerVolume";
    ASSERT_TRUE(x.grabKey(lowerVolume));
    qputenv("DISPLAY", x.display().toUtf8()); // for xdotool
    ASSERT_NO_FATAL_FAILURE(launch());
    const QRect closedNotch(462, 0, 356, 32);
    const QRect hudNotch(454, 0, 372, 32);
    ASSERT_TRUE(frameBecomes(closedNotch));
    ASSERT_TRUE(ChildProcess::waitForStderr(program, log, "Waiting for the media keys")) << log.constData();
    ASSERT_TRUE(x.grabKey(lowerVolume, false));
    ASSERT_TRUE(ChildProcess::waitForStderr(program, log, "Media key interception started")) << log.constData();
    ASSERT_TRUE(ChildProcess::waitForStderr(program, log, "Connected to the sound server")) << log.constData();

    ASSERT_TRUE(type("XF86AudioRaiseVolume"));
    EXPECT_TRUE(sinkReads("36864 /  56%")); // 0.5625
    ASSERT_TRUE(frameBecomes(hudNotch));
    // Icon left of the notch, the glowing level right of it.
    x.setBackground(background);
    QImage shot;
    EXPECT_TRUE(x.waitFor([&] {
        shot = x.image(hudNotch);
        return ViewProbe::brightPixels(shot, QRect(18, 4, 40, 24)) > 10
            && ViewProbe::brightPixels(shot, QRect(296, 4, 58, 24)) > 20;
    })) << "saved as hud-notch.png";
    shot.save(qEnvironmentVariable("BRIMWELL_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots/hud-notch.png"));

    ASSERT_TRUE(type("shift+alt+XF86AudioRaiseVolume"));
    EXPECT_TRUE(sinkReads("37888 /  58%")); // 0.578125
    // The level goes after the display duration, and the island back to its width.
    EXPECT_TRUE(frameBecomes(closedNotch, 5000));

    // Another mixer's change shows too.
    ASSERT_EQ(pulse.pactl({ "set-sink-volume", "speakers", "30%" }).exitCode, 0);
    EXPECT_TRUE(frameBecomes(hudNotch));
    EXPECT_EQ(program.state(), QProcess::Running);
}

TEST_F(IslandOnX11Test, CopiesAreKeptAcrossARestartAndAClickCopiesOneBack)
{
    const QString history = path(QStringLiteral("data/com.larkmoor.Brimwell/clipboard-history.json"));
    const auto savedTexts = [&] {
        QFile file(history);
        QStringList texts;
        if (file.open(QIODevice::ReadOnly)) {
            for (const QJsonValue& entry : QJsonDocument::fromJson(file.readAll()).array())
                texts << entry.toObject().value(QStringLiteral("text")).toString();
        }
        return texts;
    };
    const auto xclip = [&](const QStringList& arguments, const QByteArray& input = {}) {
        QProcess process;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert(QStringLiteral("DISPLAY"), x.display());
        process.setProcessEnvironment(env);
        process.start(
            QStringLiteral("xclip"), QStringList { QStringLiteral("-selection"), QStringLiteral("clipboard") } + arguments);
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(5000);
        return process.readAllStandardOutput();
    };
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(frameBecomes(closedPill));
    for (const char* text : { "first copy", "second copy", "third copy" }) {
        xclip({}, text);
        ASSERT_TRUE(x.waitFor([&] { return savedTexts().value(0) == QLatin1String(text); })) << log.constData();
    }
    {
        // A password marked as one, and files copied: neither is kept.
        X11SelectionOwner secret(
            x.display().toUtf8(), { { "UTF8_STRING", "hunter2" }, { "x-kde-passwordManagerHint", "secret" } });
        ASSERT_TRUE(x.waitFor([&] { return secret.requests() >= 2; }));
    }
    {
        X11SelectionOwner files(x.display().toUtf8(), { { "UTF8_STRING", "/tmp/a" }, { "text/uri-list", "file:///tmp/a\r\n" } });
        ASSERT_TRUE(x.waitFor([&] { return files.requests() >= 2; }));
    }
    xclip({}, "fourth copy");
    ASSERT_TRUE(x.waitFor([&] { return savedTexts().value(0) == QLatin1String("fourth copy"); }));
    QFile file(history);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_FALSE(file.readAll().contains("hunter2")) << "a marked password never reaches the disk";
    EXPECT_EQ(savedTexts().size(), 4);

    // After a restart the tab shows the same entries; a click copies one back.
    program.terminate();
    ASSERT_TRUE(program.waitForFinished(5000));
    log.clear();
    ASSERT_NO_FATAL_FAILURE(launch());
    x.movePointer(640, 10);
    ASSERT_TRUE(frameBecomes(openPill));
    x.movePointer(699, 41); // the Clipboard tab
    x.setBackground(background);
    QImage shot;
    // Clicked until it shows: a click while the island still springs open may land nowhere.
    EXPECT_TRUE(x.waitFor([&] {
        shot = x.image(openPill);
        if (ViewProbe::brightPixels(shot, QRect(20, 95, 200, 110)) > 200) // four rows of text
            return true;
        x.click();
        return false;
    }));
    shot.save(qEnvironmentVariable("BRIMWELL_BINARY_DIR", QDir::tempPath()) + QStringLiteral("/screenshots/clipboard-tab.png"));
    x.movePointer(640, 158); // the third row: "second copy"
    x.click();
    EXPECT_TRUE(x.waitFor([&] { return xclip({ QStringLiteral("-o") }) == "second copy"; }));
    EXPECT_TRUE(x.waitFor([&] { return savedTexts().value(0) == QLatin1String("second copy"); }));
    EXPECT_EQ(savedTexts().size(), 4) << "our own write is not taken for a copy";
}
