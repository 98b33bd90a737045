// Real parts: a private session bus and the test MPRIS player. Waits are
// bounded and end as soon as their condition holds.

#include "ChildProcess.h"
#include "Clock.h"
#include "DBusMock.h"
#include "DesktopApplicationCatalog.h"
#include "FakeWebLoader.h"
#include "LogCapture.h"
#include "MprisWatcher.h"
#include "NowPlayingRig.h"
#include "NowPlayingService.h"
#include "RealPart.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int boundMs = 10000;

template <typename Condition> bool until(Condition condition)
{
    return QTest::qWaitFor(condition, boundMs);
}

/// One test player process, driven through its stdin.
class Player {
public:
    Player(const QString& name, const QStringList& options = {})
    {
        m_process.setProgram(qEnvironmentVariable("BRIMWELL_BINARY_DIR") + QStringLiteral("/tests/test-mpris-player"));
        m_process.setArguments(QStringList { name } + options);
        m_process.start();
        EXPECT_TRUE(saw("ready")) << "player " << qPrintable(name) << " did not start";
    }
    ~Player()
    {
        m_process.kill();
        m_process.waitForFinished(2000);
    }
    void send(const QByteArray& commands) { m_process.write(commands); }
    /// Waits until the player reported `line`.
    bool saw(const QByteArray& line)
    {
        return until([&] {
            m_output += m_process.readAllStandardOutput();
            return m_output.contains(line + '\n');
        });
    }
    void quit()
    {
        send("quit\n");
        m_process.waitForFinished(boundMs);
    }
    QProcess& process() { return m_process; }

private:
    QProcess m_process;
    QByteArray m_output;
};

/// Each test gets its own bus, so bus names never meet across tests.
class DBusFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_FALSE(m_address.isEmpty());
        // Children (the players) find the bus through the environment.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
        ASSERT_TRUE(m_bus.isConnected());
    }

    /// Waits until the shown track has `title`.
    bool shows(const char* title)
    {
        return until([&] { return service.track() && service.track()->title == QLatin1String(title); });
    }

    ChildProcess::PrivateBus m_daemon;
    const QString m_address = m_daemon.address;
    BusConnection m_bus { m_address, m_address };
    MprisWatcher players { m_bus, Clock::system() };
    FakeWebLoader web;
    DesktopApplicationCatalog catalog { m_bus };
    NowPlayingService service { players, catalog, web };
};

} // namespace

TEST_F(DBusFixture, ServiceFollowsThePlayersOnTheBus)
{
    const QString apps = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    QDir().mkpath(apps);
    QFile entry(apps + QStringLiteral("/brimwelltestplayer.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Test Player\nIcon=audio-x-generic\nExec=true %U\n");
    entry.close();

    Player alpha(QStringLiteral("alpha"), { QStringLiteral("--desktop-entry=brimwelltestplayer") });
    const QString art = NowPlayingRig::dataUrl(TestImages::png(TestImages::filled(QSize(6, 6), QColor(20, 40, 200))));
    alpha.send("track /t/1|Song|Ann,Bob|Album|200000000|" + art.toLatin1() + "\nposition 5000000\nplay\n");
    service.start();
    ASSERT_TRUE(until([&] { return service.track() && service.track()->isPlaying && service.track()->elapsedTime; }));
    const NowPlayingTrack shown = *service.track();
    EXPECT_EQ(std::tuple(shown.title, shown.artist, shown.album, shown.player, shown.duration),
        std::tuple(QStringLiteral("Song"), QStringLiteral("Ann, Bob"), QStringLiteral("Album"), QStringLiteral("alpha"), 200.0));
    EXPECT_NEAR(*shown.elapsed(QDateTime::currentDateTimeUtc()), 5, 2);
    ASSERT_TRUE(until([&] { return service.artwork().has_value(); }));
    EXPECT_EQ(service.artwork()->size(), QSize(6, 6));
    ASSERT_TRUE(until([&] { return service.track()->processIdentifier && service.track()->desktopEntry; }));
    EXPECT_EQ(std::tuple(service.track()->desktopEntry, service.track()->processIdentifier, service.sourceName()),
        std::tuple(QStringLiteral("brimwelltestplayer"), qint32(alpha.process().processId()), QStringLiteral("Test Player")));

    service.send(NowPlayingCommand::playPause);
    ASSERT_TRUE(alpha.saw("called PlayPause"));
    service.send(NowPlayingCommand::nextTrack);
    ASSERT_TRUE(alpha.saw("called Next"));
    service.send(NowPlayingCommand::previousTrack);
    ASSERT_TRUE(alpha.saw("called Previous"));
    service.seek(42.5);
    ASSERT_TRUE(alpha.saw("called SetPosition /t/1 42500000"));
    EXPECT_TRUE(until([&] { return players.current() && players.current()->positionMicros == 42'500'000; })) // Seeked
        << (players.current() ? players.current()->positionMicros.value_or(-1) : -2);
    ASSERT_TRUE(until([&] { return service.track() && !service.track()->isPlaying; }));
    alpha.send("play\n");

    // A second player that starts playing takes over; under two names it is one player.
    Player beta(QStringLiteral("beta"));
    beta.send("also beta.instance42\ntrack /t/9|Other|||300000000|\nplay\n");
    ASSERT_TRUE(shows("Other"));
    ASSERT_TRUE(until([&] { return service.players().size() == 2; }));
    EXPECT_EQ(service.players(), (QStringList { QStringLiteral("alpha"), QStringLiteral("beta") }));
    service.send(NowPlayingCommand::nextTrack); // commands follow the shown player
    ASSERT_TRUE(beta.saw("called Next"));
    // No desktop entry: raised through its process.
    ASSERT_TRUE(until([&] { return service.track() && service.track()->processIdentifier; }));
    service.activateSource();
    ASSERT_TRUE(beta.saw("called Raise"));

    // Ignored players are never shown.
    service.setPlayerPreferences({}, { QStringLiteral("beta"), QStringLiteral("alpha") });
    ASSERT_TRUE(until([&] { return !service.track(); }));
    service.setPlayerPreferences({}, {});
    ASSERT_TRUE(shows("Other"));

    // Players that quit hand over, and leave no stale track once the grace period is over.
    beta.quit();
    ASSERT_TRUE(shows("Song"));
    alpha.quit();
    ASSERT_TRUE(until([&] { return !service.track() && !service.isActive(); }));
    EXPECT_TRUE(service.players().isEmpty());
    service.stop();
    entry.remove();
}

TEST_F(DBusFixture, HostileAndHungPlayersNeitherCrashNorStopTheOthers)
{
    service.start();
    LogCapture log;
    {
        Player odd(QStringLiteral("odd"), { QStringLiteral("--no-position") });
        odd.send("empty-metadata\nplay\nstring-metadata\n");
        odd.send("track /t/2|No length|||bogus|https://127.0.0.1:9/none.png\n");
        ASSERT_TRUE(shows("No length"));
        EXPECT_FALSE(service.track()->duration);
        EXPECT_FALSE(service.track()->elapsedTime); // no Position property: no progress
        odd.send("misshapen-signal\nhostile-metadata\n");
        ASSERT_TRUE(odd.saw("sent misshapen"));
        ASSERT_TRUE(until([&] { return service.track() && service.track()->title.size() == 500; }));
        EXPECT_EQ(
            std::tuple(service.track()->artist, service.track()->album, service.track()->duration, service.track()->playbackRate),
            std::tuple(std::nullopt, std::nullopt, std::nullopt, 1.0));
        // Without a usable track id, seeking asks the position, which this player lacks.
        service.seek(3);
        EXPECT_TRUE(until([&] { return log.mentions(QStringLiteral("it reports neither a track id nor a position")); }));

        // It stops answering, and dies while a command waits for its reply.
        odd.send("freeze\n");
        ASSERT_TRUE(odd.saw("frozen"));
        service.send(NowPlayingCommand::nextTrack);
        ASSERT_TRUE(odd.saw("called Next (frozen)"));
        odd.process().kill();
        odd.process().waitForFinished(boundMs);
        // Its pending reply goes with it: nothing is left to answer later.
        EXPECT_TRUE(until([&] { return service.players().isEmpty(); }));
    }
    Player good(QStringLiteral("good"));
    good.send("track /t/5|Fine|Ann|LP|1000000|\nplay\n");
    ASSERT_TRUE(shows("Fine"));
    EXPECT_EQ(service.players(), QStringList { QStringLiteral("good") });
    service.stop();
}

/// 30 s of silence as a WAV file whose RIFF INFO names the track, as mpv reads tags.
static bool writeWav(const QString& path, const QByteArray& title, const QByteArray& artist, const QByteArray& album)
{
    const auto chunk = [](const QByteArray& id, QByteArray payload) {
        payload.append(payload.size() % 2, '\0');
        const quint32 size = qToLittleEndian(quint32(payload.size()));
        return id + QByteArray(reinterpret_cast<const char*>(&size), 4) + payload;
    };
    const QByteArray info = "INFO" + chunk("INAM", title + '\0') + chunk("IART", artist + '\0') + chunk("IPRD", album + '\0');
    const QByteArray fmt = QByteArray::fromHex("01000100401f0000803e000002001000"); // PCM, mono, 8 kHz, 16 bit
    QFile file(path);
    return file.open(QIODevice::WriteOnly)
        && file.write(
               chunk("RIFF", "WAVE" + chunk("fmt ", fmt) + chunk("LIST", info) + chunk("data", QByteArray(16000 * 30, '\0'))))
        > 0;
}

// mpv with its MPRIS plugin, as users run it: tags, the cover beside the files,
// play/pause, next and seeking.
TEST_F(DBusFixture, MpvIsReadAndControlledThroughItsMprisPlugin)
{
    const QString plugin = QStringLiteral("/usr/lib/mpv-mpris/mpris.so");
    if (QStandardPaths::findExecutable(QStringLiteral("mpv")).isEmpty() || !QFile::exists(plugin))
        BRIMWELL_MISSING_REAL_PART("mpv and its MPRIS plugin (mpv-mpris) are not installed");
    QTemporaryDir dir;
    ASSERT_TRUE(writeWav(dir.filePath(QStringLiteral("a.wav")), "First Light", "Ann", "Dawn"));
    ASSERT_TRUE(writeWav(dir.filePath(QStringLiteral("b.wav")), "Second Wind", "Bob", "Dusk"));
    ASSERT_TRUE(TestImages::filled(QSize(16, 16), QColor(20, 40, 200)).save(dir.filePath(QStringLiteral("cover.png"))));

    service.start();
    QProcess mpv;
    mpv.start(QStringLiteral("mpv"),
        { QStringLiteral("--no-config"), QStringLiteral("--idle=no"), QStringLiteral("--ao=null"), QStringLiteral("--vid=no"),
            QStringLiteral("--no-terminal"), QStringLiteral("--script=") + plugin, dir.filePath(QStringLiteral("a.wav")),
            dir.filePath(QStringLiteral("b.wav")) });
    // mpv names the track by its file until it has read the tags.
    ASSERT_TRUE(until(
        [&] { return service.track() && service.track()->isPlaying && service.track()->title == QLatin1String("First Light"); }));
    EXPECT_EQ(std::tuple(service.track()->artist, service.track()->album, service.track()->player, service.track()->duration),
        std::tuple(QStringLiteral("Ann"), QStringLiteral("Dawn"), QStringLiteral("mpv"), 30.0));
    ASSERT_TRUE(until([&] { return service.accentColor().has_value(); }));

    service.send(NowPlayingCommand::playPause);
    ASSERT_TRUE(until([&] { return !service.track()->isPlaying; }));
    service.seek(20);
    // The player's own report (Seeked), not the optimistic position the service shows at once.
    ASSERT_TRUE(until(
        [&] { return players.current() && std::abs(players.current()->positionMicros.value_or(0) - 20'000'000) < 1'000'000; }));
    service.send(NowPlayingCommand::nextTrack);
    ASSERT_TRUE(shows("Second Wind"));
}

// Clicking the source icon must not wait on the bus: a proxy made on a
// well-known name looks up its owner synchronously, so every call to the
// player goes to the unique name found asynchronously first.
TEST_F(DBusFixture, RaisingTheSourceAddressesThePlayerByItsUniqueName)
{
    QProcess monitor;
    monitor.start(QStringLiteral("dbus-monitor"),
        { QStringLiteral("--address"), m_address, QStringLiteral("type='method_call',path='/org/mpris/MediaPlayer2'") });
    QByteArray calls;
    const auto monitorSaw
        = [&](const char* text) { return until([&] { return (calls += monitor.readAllStandardOutput()).contains(text); }); };
    ASSERT_TRUE(monitorSaw("NameLost")) << "dbus-monitor did not start";

    Player alpha(QStringLiteral("alpha"), { QStringLiteral("--desktop-entry=brimwelltestplayer") });
    std::optional<QString> error;
    catalog.openApplication(QStringLiteral("brimwelltestplayer"), [&](const QString& e) { error = e; });
    ASSERT_TRUE(alpha.saw("called Raise"));
    ASSERT_TRUE(until([&] { return error.has_value(); }));
    EXPECT_TRUE(error->isEmpty()) << qPrintable(*error);

    ASSERT_TRUE(monitorSaw("member=Raise"));
    monitor.kill();
    monitor.waitForFinished(2000);
    int toThePlayer = 0;
    for (const QByteArray& line : calls.split('\n')) {
        if (line.startsWith("method call") && ++toThePlayer) {
            EXPECT_TRUE(line.contains("destination=:")) << line.constData();
        }
    }
    EXPECT_GE(toThePlayer, 2); // the desktop entry is read, then the player raised
}

TEST(DesktopEntries, FieldCodesAreDroppedFromTheCommand)
{
    EXPECT_EQ(DesktopApplicationCatalog::commandLine(QStringLiteral("vlc --started-from-file %U")),
        (QStringList { "vlc", "--started-from-file" }));
    EXPECT_EQ(DesktopApplicationCatalog::commandLine(QStringLiteral("\"/opt/My App/run\" %f --x")),
        (QStringList { "/opt/My App/run", "--x" }));
    EXPECT_TRUE(DesktopApplicationCatalog::desktopFile(QStringLiteral("../etc/passwd")).isEmpty());
}
