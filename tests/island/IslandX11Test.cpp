#include "ChildProcess.h"
#include "PrivatePulseServer.h"
#include "PrivateXServer.h"
#include "QtScreenSource.h"
#include "RealPart.h"
#include "TempDir.h"
#include "ViewProbe.h"
#include "XdndDragSource.h"

#include <QDir>
#include <QImage>
#include <QJsonArray>
#include <QJsonObject>
#include <QSettings>
#include <QStandardPaths>
#include <QUrl>

#include <gtest/gtest.h>

// The real program on an X server of the test's own, watched and driven
// from outside through the X protocol as a user and a drag source would.
namespace {

const QRect closedPill(565, 0, 150, 22);
const QRect openPill(356, 0, 568, 237);
constexpr uint32_t background = 0x3060a0;

/// Another program on the test's X server, ended with the test at the latest.
struct OtherProgram : QProcess {
    ~OtherProgram() override { stop(); }
    void stop()
    {
        terminate();
        waitForFinished(5000);
    }
};

class IslandOnX11Test : public TempDirTest {
protected:
    void SetUp() override { ASSERT_TRUE(x.isRunning()) << "Xvfb did not start"; }

    QSettings settingsFile() const
    {
        return QSettings(path(QStringLiteral("config/com.larkmoor.Brimwell/settings.ini")), QSettings::IniFormat);
    }

    void launch()
    {
        program.launch(ChildProcess::x11Environment(m_dir.path(), x.display()));
        ASSERT_TRUE(program.logShows("Island placed on")) << program.log.constData();
        ASSERT_NE(panel = x.islandOf(program.processId()), 0u);
    }

    bool frameBecomes(const QRect& frame, int boundMs = 5000) { return x.geometryBecomes(panel, frame, boundMs); }
    QRect frame() const { return x.geometry(panel); }

    QString userFile(const QString& name) { return writeFile(QStringLiteral("files/") + name, "content"); }
    QString shelfFolder() const { return path(QStringLiteral("data/com.larkmoor.Brimwell/Shelf")); }
    QJsonArray shelfList() const { return readJsonArray(QStringLiteral("data/com.larkmoor.Brimwell/shelf.json")); }
    /// Drops `offer` (type → bytes) on the island as another program's drag
    /// would; whether the island took it, or nothing when it never finished.
    std::optional<bool> dropOnIsland(const QMap<QByteArray, QByteArray>& offer)
    {
        return XdndDragSource::drop(x, panel, x.createWindow(), offer);
    }
    /// Pixels brighter than `level` on screen in `rect`.
    int lit(const QRect& rect, int level = 120) const
    {
        return ViewProbe::brightPixels(x.image(rect), QRect(QPoint(), rect.size()), level);
    }
    /// Starts `command` on the test's X server, apart from the user's files.
    bool startOnServer(QProcess& process, const QString& command, const QStringList& arguments)
    {
        if (QStandardPaths::findExecutable(command).isEmpty())
            return false;
        QProcessEnvironment env = ChildProcess::x11Environment(m_dir.path(), x.display());
        env.insert(QStringLiteral("HOME"), m_dir.path());
        process.setProcessEnvironment(env);
        process.start(command, arguments);
        return process.waitForStarted(5000);
    }

    PrivateXServer x;
    ChildProcess::Brimwell program;
    xcb_window_t panel = 0;
};

} // namespace

TEST_F(IslandOnX11Test, OpensUnderThePointerClosesWhenItLeavesAndFollowsScreens)
{
    const QString second = QtScreenSource::displayUUID({}, {}, {}, QStringLiteral("second"));
    settingsFile().setValue(QStringLiteral("preferredDisplayID"), second);
    ASSERT_NO_FATAL_FAILURE(launch());
    // Preferred display not connected: the primary screen.
    EXPECT_TRUE(frameBecomes(closedPill)) << frame().x() << "," << frame().y() << " " << frame().width() << "x"
                                          << frame().height();
    EXPECT_TRUE(x.isOverrideRedirect(panel));
    EXPECT_EQ(x.property(panel, XCB_ATOM_WM_CLASS), QByteArray("brimwell\0brimwell\0", 18));
    EXPECT_TRUE(x.property(panel, x.atom("XdndAware"))); // the shelf is on by default
    EXPECT_TRUE(program.log.contains("No system bus; screens are not re-read after sleep"));

    // Only the island is drawn; the rest of the panel shows what lies below.
    x.setBackground(background);
    EXPECT_TRUE(x.waitFor([&] { return x.pixel(640, 12) == 0 && x.pixel(565, 2) == background; }));

    x.movePointer(640, 10);
    ASSERT_TRUE(frameBecomes(openPill)) << frame().width() << "x" << frame().height();
    EXPECT_TRUE(x.waitFor([&] { return x.pixel(640, 200) == 0 && x.pixel(360, 230) == background; }));

    x.movePointer(640, 600);
    EXPECT_TRUE(frameBecomes(closedPill, 3000));
    EXPECT_TRUE(x.waitFor([&] { return x.pixel(640, 200) == background; }));

    ASSERT_TRUE(x.setMonitor("second", QRect(1280, 0, 1024, 768)));
    EXPECT_TRUE(frameBecomes(QRect(1717, 0, 150, 22))) << frame().x();
    ASSERT_TRUE(x.deleteMonitor("second"));
    EXPECT_TRUE(frameBecomes(closedPill)) << frame().x();
    // A notch override written meanwhile is read at the next screen change.
    settingsFile().setValue(QStringLiteral("DisplayNotches/second"), QStringLiteral("200x32"));
    ASSERT_TRUE(x.setMonitor("second", QRect(1280, 0, 1024, 768)));
    EXPECT_TRUE(frameBecomes(QRect(1614, 0, 356, 32))) << frame().x();
}

TEST_F(IslandOnX11Test, UnderACompositorClicksOutsideTheOutlineReachTheWindowBelow)
{
    // Alpha is blended there, so the panel keeps no bounding shape: only its
    // input shape lets the margin's clicks through.
    OtherProgram picom;
    if (!startOnServer(picom, QStringLiteral("picom"),
            { QStringLiteral("--backend"), QStringLiteral("xrender"), QStringLiteral("--config"),
                QStringLiteral("/dev/null") })) {
        BRIMWELL_MISSING_REAL_PART("picom is not installed");
    }
    ASSERT_TRUE(x.waitFor([&] { return x.selectionOwner("_NET_WM_CM_S0") != 0; })) << "picom did not start";
    const xcb_window_t below = x.createClickRecorder(QRect(0, 0, 1280, 800));
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(frameBecomes(closedPill));
    x.movePointer(640, 10);
    ASSERT_TRUE(frameBecomes(openPill));
    x.click();
    // In the panel's bottom corner, outside the island: the click goes
    // below, and the pointer has left the island.
    x.movePointer(360, 233);
    x.click();
    EXPECT_TRUE(x.waitFor([&] { return x.clicksOn(below) == 1; })) << x.clicksOn(below);
    EXPECT_TRUE(frameBecomes(closedPill, 3000));
}

TEST_F(IslandOnX11Test, DropsJoinTheShelfAndDragOutAsFiles)
{
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(frameBecomes(closedPill));
    const QString report = userFile(QStringLiteral("report one.pdf"));
    const QString notes = userFile(QStringLiteral("notes.txt"));
    // The pointer stays far away; only the drag source talks to the island.
    x.movePointer(640, 600);
    const QByteArray uris = QUrl::fromLocalFile(report).toEncoded() + "\r\n" + QUrl::fromLocalFile(notes).toEncoded() + "\r\n";
    EXPECT_EQ(dropOnIsland({ { "text/uri-list", uris } }), std::optional<bool>(true));
    EXPECT_TRUE(frameBecomes(openPill));
    // Files, a text and a refusal over XDND; which drops become which files: the shelf's test.
    EXPECT_EQ(dropOnIsland({ { "text/plain", "a note to keep" } }), std::optional<bool>(true));
    EXPECT_EQ(dropOnIsland({ { "text/plain", "   " } }), std::optional<bool>(false)) << "blank text is refused";
    ASSERT_TRUE(x.waitFor([&] { return shelfList().size() == 3; })) << program.log.constData();
    const QStringList written = QDir(shelfFolder()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(written.size(), 1);
    ASSERT_TRUE(frameBecomes(closedPill));
    // A drag that enters opens the Shelf tab and lays the frame over it.
    const xcb_window_t source = x.createWindow();
    ASSERT_TRUE(XdndDragSource::enters(x, panel, source));
    ASSERT_TRUE(frameBecomes(openPill));
    const QPoint inside(openPill.x() + 20, openPill.bottom() - 20); // away from the tiles and their tooltips
    x.movePointer(inside.x(), inside.y()); // keeps it open once the drag leaves
    const QRect strip(openPill.x() + 42, openPill.y() + 111, openPill.width() - 84, 74); // the Shelf tab's tiles
    const QRect frameEdge(strip.x() - 4, strip.y(), 8, 48);
    const QRect label(openPill.center().x() - 60, strip.y() + 10, 120, 25);
    EXPECT_TRUE(x.waitFor([&] { return lit(frameEdge) > 20 && lit(label) > 100; }))
        << "the dashed frame and its label: " << lit(frameEdge) << ", " << lit(label);
    x.sendClientMessage(panel, x.atom("XdndLeave"), { source, 0, 0, 0, 0 });
    EXPECT_TRUE(x.waitFor([&] { return lit(frameEdge) == 0; })) << "the frame fades out";

    // The newest tile, the written text, dragged onto another program once shown.
    const QPoint tile(strip.x() + 36, strip.y() + 28);
    ASSERT_TRUE(x.waitFor([&] { return lit(QRect(strip.topLeft(), QSize(72, 74)), 90) > 40; }));
    const QRect target(60, 500, 200, 200);
    const xcb_window_t receiver = x.createDropTarget(target);
    x.movePointer(tile.x(), tile.y());
    x.pressButton(true);
    for (int step = 1; step <= 10; ++step)
        x.movePointer(
            tile.x() + (target.center().x() - tile.x()) * step / 10, tile.y() + (target.center().y() - tile.y()) * step / 10);
    std::optional<xcb_client_message_event_t> position;
    ASSERT_TRUE(x.waitFor([&] { return (position = x.takeClientMessage(x.atom("XdndPosition"))).has_value(); }));
    const xcb_window_t dragSource = position->data.data32[0];
    x.sendClientMessage(dragSource, x.atom("XdndStatus"), { receiver, 1, 0, 0, x.atom("XdndActionCopy") });
    EXPECT_EQ(frame(), openPill) << "the island stays open under the drag";
    x.pressButton(false);
    ASSERT_TRUE(x.waitFor([&] { return x.takeClientMessage(x.atom("XdndDrop")).has_value(); }));
    const std::optional<QByteArray> delivered = x.convertSelection(receiver, "XdndSelection", "text/uri-list");
    x.sendClientMessage(dragSource, x.atom("XdndFinished"), { receiver, 1, x.atom("XdndActionCopy"), 0, 0 });
    ASSERT_TRUE(delivered.has_value());
    EXPECT_EQ(QUrl(QString::fromUtf8(delivered->trimmed())).toLocalFile(), shelfFolder() + QLatin1Char('/') + written[0]);

    // "Clear" (whose files go along: the shelf's test).
    x.movePointer(inside.x(), inside.y());
    ASSERT_TRUE(frameBecomes(openPill));
    x.movePointer(strip.right() - 28, strip.y() - 20);
    x.click();
    EXPECT_TRUE(x.waitFor([&] { return shelfList().isEmpty() && QDir(shelfFolder()).isEmpty(); }));
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
        settings.setValue(QStringLiteral("showShelf"), false);
    }
    // The desktop's own handler holds one key: Brimwell waits for it.
    const xcb_keycode_t lowerVolume = x.keycode(0x1008FF11);
    ASSERT_NE(lowerVolume, 0) << "the test server's keymap lacks XF86AudioLowerVolume";
    ASSERT_TRUE(x.grabKey(lowerVolume));
    qputenv("DISPLAY", x.display().toUtf8()); // for xdotool
    ASSERT_NO_FATAL_FAILURE(launch());
    const QRect closedNotch(462, 0, 356, 32);
    const QRect hudNotch(454, 0, 372, 32);
    ASSERT_TRUE(frameBecomes(closedNotch)); // from the notch in the settings file
    EXPECT_FALSE(x.property(panel, x.atom("XdndAware"))) << "no drop target with the shelf off";
    ASSERT_TRUE(program.logShows("Waiting for the media keys")) << program.log.constData();
    ASSERT_TRUE(x.grabKey(lowerVolume, false));
    ASSERT_TRUE(program.logShows("Media key interception started")) << program.log.constData();
    ASSERT_TRUE(program.logShows("Connected to the sound server")) << program.log.constData();

    // One step (the steps themselves: the HUD's test).
    ASSERT_TRUE(type("XF86AudioRaiseVolume"));
    EXPECT_TRUE(sinkReads("36864 /  56%")); // 0.5625
    ASSERT_TRUE(frameBecomes(hudNotch)); // the HUD's own width; the view test draws it
    // The level goes after the display duration, and the island back to its width.
    EXPECT_TRUE(frameBecomes(closedNotch, 5000));

    // Another mixer's change shows too.
    ASSERT_EQ(pulse.pactl({ "set-sink-volume", "speakers", "30%" }).exitCode, 0);
    EXPECT_TRUE(frameBecomes(hudNotch));
    EXPECT_EQ(program.state(), QProcess::Running);
}

TEST_F(IslandOnX11Test, CopiesAreKeptAndAClickCopiesOneBack)
{
    const QString history = QStringLiteral("data/com.larkmoor.Brimwell/clipboard-history.json");
    const auto savedTexts = [&] {
        QStringList texts;
        for (const QJsonValue& entry : readJsonArray(history))
            texts << entry.toObject().value(QStringLiteral("text")).toString();
        return texts;
    };
    const auto xclip = [&](const QStringList& arguments, const QByteArray& input = {}) {
        QProcess process;
        EXPECT_TRUE(startOnServer(process, QStringLiteral("xclip"),
            QStringList { QStringLiteral("-selection"), QStringLiteral("clipboard") } + arguments));
        process.write(input);
        process.closeWriteChannel();
        process.waitForFinished(5000);
        return process.readAllStandardOutput();
    };
    ASSERT_NO_FATAL_FAILURE(launch());
    ASSERT_TRUE(frameBecomes(closedPill));
    // Secrets and files are left out by the clipboard's own tests.
    for (const char* text : { "first copy", "second copy", "third copy", "fourth copy" }) {
        xclip({}, text);
        ASSERT_TRUE(x.waitFor([&] { return savedTexts().value(0) == QLatin1String(text); })) << program.log.constData();
    }

    // The tab shows them; a click copies one back (the history's reload: the clipboard's test).
    x.movePointer(640, 10);
    ASSERT_TRUE(frameBecomes(openPill));
    x.movePointer(699, 41); // the Clipboard tab
    x.setBackground(background);
    // Clicked until it shows: a click while the island still springs open may land nowhere.
    EXPECT_TRUE(x.waitFor([&] {
        if (lit(QRect(openPill.x() + 20, openPill.y() + 95, 200, 110), 150) > 200) // four rows of text
            return true;
        x.click();
        return false;
    }));
    x.movePointer(640, 158); // the third row: "second copy"
    x.click();
    EXPECT_TRUE(x.waitFor([&] { return xclip({ QStringLiteral("-o") }) == "second copy"; }));
    EXPECT_TRUE(x.waitFor([&] { return savedTexts().value(0) == QLatin1String("second copy"); }));
}

TEST_F(IslandOnX11Test, SitsBelowATopPanelThatReservesTheTopAndGoesBackUpWhenItGoes)
{
    if (QStandardPaths::findExecutable(QStringLiteral("tint2")).isEmpty()
        || QStandardPaths::findExecutable(QStringLiteral("openbox")).isEmpty()) {
        BRIMWELL_MISSING_REAL_PART("tint2 or openbox is not installed");
    }
    // A 30-pixel tint2 panel along the top that reserves its height.
    const QString rc = writeFile(QStringLiteral("tint2rc"),
        "rounded = 0\nborder_width = 0\nbackground_color = #402060 100\nborder_color = #000000 0\n"
        "panel_items = C\npanel_position = top center horizontal\npanel_size = 100% 30\n"
        "panel_margin = 0 0\npanel_padding = 0 0 0\npanel_background_id = 1\npanel_layer = top\n"
        "panel_dock = 0\nstrut_policy = follow_size\nautohide = 0\ntime1_format = %H:%M\n");
    OtherProgram tint2, openbox;
    ASSERT_TRUE(startOnServer(tint2, QStringLiteral("tint2"), { QStringLiteral("-c"), rc }));
    // tint2 can take seconds to show on a busy machine.
    const auto panelShows = [&] {
        const QList<xcb_window_t> windows = x.topLevelWindows();
        return std::any_of(windows.begin(), windows.end(),
            [&](xcb_window_t w) { return x.property(w, x.atom("_NET_WM_STRUT_PARTIAL")).has_value(); });
    };
    ASSERT_TRUE(x.waitFor(panelShows, 60000)) << "tint2 did not show its panel";

    // Without a window manager the panel is a mapped child of the root.
    settingsFile().setValue(QStringLiteral("islandPosition"), QStringLiteral("belowTopPanel"));
    ASSERT_NO_FATAL_FAILURE(launch());
    EXPECT_TRUE(frameBecomes(QRect(565, 30, 150, 22))) << frame().y();
    ASSERT_TRUE(program.stop());

    // Under openbox (its work area now gives the pill's band), automatically.
    settingsFile().remove(QStringLiteral("islandPosition"));
    ASSERT_TRUE(startOnServer(openbox, QStringLiteral("openbox"), { QStringLiteral("--sm-disable") }));
    ASSERT_TRUE(x.waitFor([&] { return x.property(x.root(), x.atom("_NET_WORKAREA")).has_value(); }, 10000));
    ASSERT_NO_FATAL_FAILURE(launch());
    const QRect belowPanel(565, 30, 150, 28);
    EXPECT_TRUE(frameBecomes(belowPanel)) << frame().y() << " " << frame().height();

    // The panel quits: back to the top edge; it comes back: below it again.
    tint2.stop();
    EXPECT_TRUE(frameBecomes(closedPill)) << frame().y() << " " << frame().height();
    ASSERT_TRUE(startOnServer(tint2, QStringLiteral("tint2"), { QStringLiteral("-c"), rc }));
    EXPECT_TRUE(frameBecomes(belowPanel, 60000)) << frame().y();
}
