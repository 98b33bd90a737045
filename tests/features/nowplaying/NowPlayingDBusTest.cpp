// Real parts: a private session bus, the test MPRIS player, the adapter
// program and the Linux stand-ins. Waits are bounded and end as soon as
// their condition holds.

#include "AppBundle.h"
#include "AppleScriptMediaClient.h"
#include "ChildProcess.h"
#include "DesktopApplicationCatalog.h"
#include "FakeWebLoader.h"
#include "MediaRemoteAdapterClient.h"
#include "MprisScriptedPlayers.h"
#include "NetworkWebLoader.h"
#include "NowPlayingRig.h"
#include "NowPlayingService.h"

#include <QDBusConnection>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStandardPaths>
#include <QTest>

#include <gtest/gtest.h>

namespace {

constexpr int boundMs = 10000;

QString binaryDir()
{
    return qEnvironmentVariable("BRIMWELL_BINARY_DIR");
}

/// One test player process, driven through its stdin.
class Player {
public:
    Player(const QString& name, const QStringList& options = {})
    {
        m_process.setProgram(binaryDir() + QStringLiteral("/tests/test-mpris-player"));
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
        return QTest::qWaitFor(
            [&] {
                m_output += m_process.readAllStandardOutput();
                return m_output.contains(line + '\n');
            },
            boundMs);
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
        // Children (players, the adapter) find the bus through the environment.
        qputenv("DBUS_SESSION_BUS_ADDRESS", m_address.toUtf8());
        m_bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(m_address, m_address));
        ASSERT_TRUE(m_bus->isConnected());
    }
    void TearDown() override
    {
        m_bus.reset();
        QDBusConnection::disconnectFromBus(m_address);
    }

    ChildProcess::PrivateBus m_daemon;
    const QString m_address = m_daemon.address;
    std::unique_ptr<QDBusConnection> m_bus;
};

QByteArray pngDataUrl()
{
    QImage image(6, 6, QImage::Format_RGB32);
    image.fill(QColor(20, 40, 200));
    return "data:image/png;base64," + NowPlayingRig::png(image).toBase64();
}

} // namespace

TEST_F(DBusFixture, ServiceFollowsPlayersThroughTheAdapter)
{
    // A desktop entry for the first player, found by its DesktopEntry.
    const QString apps = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    QDir().mkpath(apps);
    QFile entry(apps + QStringLiteral("/brimwelltestplayer.desktop"));
    ASSERT_TRUE(entry.open(QIODevice::WriteOnly));
    entry.write("[Desktop Entry]\nType=Application\nName=Test Player\nIcon=audio-x-generic\nExec=true %U\n");
    entry.close();

    const QString bin = binaryDir();
    const AppBundle bundle(
        QStringLiteral("test"), {}, bin + QStringLiteral("/share/brimwell"), bin + QStringLiteral("/lib/brimwell"));
    MprisScriptedPlayers scripted(*m_bus);
    NetworkWebLoader web;
    DesktopApplicationCatalog catalog(*m_bus);
    auto adapter = std::make_unique<MediaRemoteAdapterClient>(bundle);
    ASSERT_TRUE(adapter->isAvailable());
    NowPlayingService service(
        std::move(adapter), std::make_unique<AppleScriptMediaClient>(scripted, scripted, scripted, web), catalog);

    Player alpha(QStringLiteral("alpha"), { QStringLiteral("--desktop-entry=brimwelltestplayer") });
    alpha.send("track /t/1|Song|Ann,Bob|Album|200000000|" + pngDataUrl() + "\nposition 5000000\nplay\n");
    service.start();
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return service.track() && service.track()->isPlaying && service.track()->elapsedTime; }, boundMs));
    const NowPlayingTrack shown = *service.track();
    EXPECT_EQ(shown.title, QStringLiteral("Song"));
    EXPECT_EQ(shown.artist, QStringLiteral("Ann, Bob"));
    EXPECT_EQ(shown.album, QStringLiteral("Album"));
    EXPECT_EQ(shown.sourceBundleIdentifier, QStringLiteral("brimwelltestplayer"));
    EXPECT_EQ(shown.processIdentifier, qint32(alpha.process().processId()));
    EXPECT_DOUBLE_EQ(*shown.duration, 200);
    EXPECT_NEAR(*shown.elapsed(QDateTime::currentDateTimeUtc()), 5, 2);
    EXPECT_TRUE(service.isActive());
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.artwork().has_value(); }, boundMs));
    EXPECT_EQ(service.artwork()->size(), QSize(6, 6));
    EXPECT_TRUE(service.accentColor());
    EXPECT_EQ(service.sourceName(), QStringLiteral("Test Player"));
    EXPECT_EQ(service.source(), NowPlayingService::Source::systemNowPlaying);

    service.send(NowPlayingCommand::playPause);
    EXPECT_FALSE(service.track()->isPlaying); // at once
    ASSERT_TRUE(alpha.saw("called PlayPause"));
    service.send(NowPlayingCommand::nextTrack);
    ASSERT_TRUE(alpha.saw("called Next"));
    service.send(NowPlayingCommand::previousTrack);
    ASSERT_TRUE(alpha.saw("called Previous"));
    service.seek(42.5);
    ASSERT_TRUE(alpha.saw("called SetPosition /t/1 42500000"));
    // A player with a desktop entry is raised as the next test shows.

    // A second player that starts playing takes over.
    Player beta(QStringLiteral("beta"));
    beta.send("track /t/9|Other|||300000000|\nplay\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.track() && service.track()->title == QLatin1String("Other"); }, boundMs));
    EXPECT_EQ(service.track()->sourceBundleIdentifier, QStringLiteral("beta"));
    service.send(NowPlayingCommand::nextTrack); // commands follow the shown player
    ASSERT_TRUE(beta.saw("called Next"));
    // No desktop entry: raised through its process, once the adapter has named it.
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.track() && service.track()->processIdentifier; }, boundMs));
    service.activateSource();
    ASSERT_TRUE(beta.saw("called Raise"));

    // Players that quit leave no stale track once the grace period is over.
    beta.quit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return service.track() && service.track()->title == QLatin1String("Song"); }, boundMs));
    alpha.quit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !service.track() && !service.isActive(); }, boundMs));
    service.stop();
    entry.remove();
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
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            calls += monitor.readAllStandardOutput();
            return calls.contains("NameLost");
        },
        boundMs))
        << "dbus-monitor did not start";

    Player alpha(QStringLiteral("alpha"), { QStringLiteral("--desktop-entry=brimwelltestplayer") });
    DesktopApplicationCatalog catalog(*m_bus);
    std::optional<QString> error;
    catalog.openApplication(QStringLiteral("brimwelltestplayer"), [&](const QString& e) { error = e; });
    ASSERT_TRUE(alpha.saw("called Raise"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return error.has_value(); }, boundMs));
    EXPECT_TRUE(error->isEmpty()) << qPrintable(*error);

    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            calls += monitor.readAllStandardOutput();
            return calls.contains("member=Raise");
        },
        boundMs));
    monitor.kill();
    monitor.waitForFinished(2000);
    int toThePlayer = 0;
    for (const QByteArray& line : calls.split('\n')) {
        if (!line.startsWith("method call"))
            continue;
        ++toThePlayer;
        EXPECT_TRUE(line.contains("destination=:")) << line.constData();
    }
    EXPECT_GE(toThePlayer, 2); // the desktop entry is read, then the player raised
}

TEST_F(DBusFixture, SpotifyStandInAnswersScriptsAndPostsNotifications)
{
    Player spotify(QStringLiteral("spotify"));
    spotify.send("track /t/1|Tune|Ann|LP|215000000|https://i.example.invalid/cover.jpg\nposition 12000000\nplay\n");
    MprisScriptedPlayers scripted(*m_bus);
    FakeWebLoader web;
    AppleScriptMediaClient client(scripted, scripted, scripted, web);
    client.startObserving();
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.currentTrack() && client.currentTrack()->isPlaying; }, boundMs));
    EXPECT_EQ(client.currentTrack()->title, QStringLiteral("Tune"));
    EXPECT_EQ(client.currentTrack()->sourceBundleIdentifier, QStringLiteral("com.spotify.client"));
    EXPECT_TRUE(scripted.isRunning(QStringLiteral("com.spotify.client")));
    EXPECT_FALSE(scripted.isRunning(QStringLiteral("com.apple.Music")));

    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            QString error;
            return scripted.run(AppleScriptMediaClient::timingScript(AppleScriptMediaClient::players()[1]), &error).has_value();
        },
        boundMs));
    client.activate();
    ASSERT_TRUE(client.currentTrack()->duration);
    EXPECT_DOUBLE_EQ(*client.currentTrack()->duration, 215);
    EXPECT_NEAR(*client.currentTrack()->elapsedTime, 12, 2);
    ASSERT_EQ(web.requested.size(), 1);
    EXPECT_EQ(web.requested[0], QUrl(QStringLiteral("https://i.example.invalid/cover.jpg")));

    client.send(NowPlayingCommand::nextTrack);
    ASSERT_TRUE(spotify.saw("called Next"));
    client.seek(12.345);
    ASSERT_TRUE(spotify.saw("called SetPosition /t/1 12350000"));
    spotify.send("pause\n");
    ASSERT_TRUE(QTest::qWaitFor([&] { return client.currentTrack() && !client.currentTrack()->isPlaying; }, boundMs));
    spotify.quit();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !client.currentTrack(); }, boundMs));
    EXPECT_FALSE(scripted.isRunning(QStringLiteral("com.spotify.client")));
}

TEST_F(DBusFixture, AdapterSurvivesMisbehavingPlayers)
{
    const QString bin = binaryDir();
    QProcess adapter;
    adapter.start(QStringLiteral("/usr/bin/perl"),
        { bin + QStringLiteral("/share/brimwell/mediaremote-adapter.pl"),
            bin + QStringLiteral("/lib/brimwell/MediaRemoteAdapter.framework"), QStringLiteral("stream"),
            QStringLiteral("--micros"), QStringLiteral("--debounce=150") });
    QByteArray stream;
    auto streamed = [&](const QByteArray& needle) {
        return QTest::qWaitFor(
            [&] {
                stream += adapter.readAllStandardOutput();
                return stream.contains(needle);
            },
            boundMs);
    };
    ASSERT_TRUE(streamed("{\"diff\":false,\"payload\":{},\"type\":\"data\"}\n"));

    {
        Player odd(QStringLiteral("odd"), { QStringLiteral("--no-position") });
        odd.send("empty-metadata\nplay\nstring-metadata\n");
        odd.send("track /t/2|No length|||bogus|https://127.0.0.1:9/none.png\n");
        ASSERT_TRUE(streamed("\"title\":\"No length\""));
        odd.send("track /t/3|Missing file|||0|file:///nonexistent/cover.png\nseeked 7\n");
        ASSERT_TRUE(streamed("\"title\":\"Missing file\""));
        odd.send("track /t/4|Plain http|||1|http://127.0.0.1:9/a.png\npause\nplay\n");
        ASSERT_TRUE(streamed("\"title\":\"Plain http\""));
        // The player vanishes in the middle of whatever the adapter asked it.
        odd.send("play\npause\nplay\n");
        odd.process().kill();
        odd.process().waitForFinished(boundMs);
    }
    EXPECT_FALSE(stream.contains("\"durationMicros\":0"));
    EXPECT_FALSE(stream.contains("artworkData"));

    Player good(QStringLiteral("good"));
    good.send("track /t/5|Fine|Ann|LP|1000000|\nplay\n");
    ASSERT_TRUE(streamed("\"title\":\"Fine\""));
    EXPECT_EQ(adapter.state(), QProcess::Running);

    // A burst of changes inside the window comes out as fewer lines than
    // changes, and the merged lines end in the player's final state.
    const qsizetype before = stream.count('\n');
    good.send("pause\nplay\npause\nplay\npause\nplay\npause\n");
    auto mergedPlaying = [&]() -> std::optional<bool> {
        QJsonObject merged;
        for (const QByteArray& line : stream.split('\n')) {
            if (line.isEmpty())
                continue;
            const QJsonObject object = QJsonDocument::fromJson(line).object();
            const QJsonObject payload = object.value(QLatin1String("payload")).toObject();
            if (!object.value(QLatin1String("diff")).toBool())
                merged = payload;
            for (auto it = payload.begin(); it != payload.end(); ++it)
                merged.insert(it.key(), it.value());
        }
        if (!merged.contains(QLatin1String("playing")))
            return std::nullopt;
        return merged.value(QLatin1String("playing")).toBool();
    };
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            stream += adapter.readAllStandardOutput();
            return stream.count('\n') > before && mergedPlaying() == false;
        },
        boundMs))
        << stream.constData();
    EXPECT_LT(stream.count('\n') - before, 7);
    adapter.terminate();
    adapter.waitForFinished(boundMs);
}

TEST(DesktopEntries, FieldCodesAreDroppedFromTheCommand)
{
    EXPECT_EQ(DesktopApplicationCatalog::commandLine(QStringLiteral("vlc --started-from-file %U")),
        (QStringList { QStringLiteral("vlc"), QStringLiteral("--started-from-file") }));
    EXPECT_EQ(DesktopApplicationCatalog::commandLine(QStringLiteral("\"/opt/My App/run\" %f --x")),
        (QStringList { QStringLiteral("/opt/My App/run"), QStringLiteral("--x") }));
    EXPECT_TRUE(DesktopApplicationCatalog::desktopFile(QStringLiteral("../etc/passwd")).isEmpty());
}
