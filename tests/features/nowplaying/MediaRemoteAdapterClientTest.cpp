#include "MediaRemoteAdapterClient.h"
#include "AppBundle.h"
#include "LogCapture.h"
#include "ManualScheduler.h"

#include <QDir>
#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <ctime>

namespace {

// Real child processes: waits end as soon as the condition holds.
constexpr int boundMs = 10000;

/// A bundle whose adapter is a Perl script the test writes.
class AdapterFixture : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(m_dir.isValid());
        QDir(m_dir.path()).mkpath(QStringLiteral("share"));
        QDir(m_dir.path()).mkpath(QStringLiteral("lib/MediaRemoteAdapter.framework"));
    }

    AppBundle bundle() const
    {
        return AppBundle(
            QStringLiteral("test"), {}, m_dir.filePath(QStringLiteral("share")), m_dir.filePath(QStringLiteral("lib")));
    }

    void writeScript(const QByteArray& body)
    {
        QFile file(m_dir.filePath(QStringLiteral("share/mediaremote-adapter.pl")));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("use strict; $| = 1;\nmy $dir = '" + m_dir.path().toUtf8() + "';\n" + body);
    }

    QString path(const QString& name) const { return m_dir.filePath(name); }
    void touch(const QString& name)
    {
        QFile file(path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }
    QByteArray read(const QString& name) const
    {
        QFile file(path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    std::unique_ptr<MediaRemoteAdapterClient> makeClient()
    {
        auto client = std::make_unique<MediaRemoteAdapterClient>(bundle(), m_scheduler, m_scheduler);
        QObject::connect(client.get(), &MediaRemoteAdapterClient::trackChanged, client.get(),
            [this](const std::optional<NowPlayingTrack>& track) { m_tracks.push_back(track); });
        QObject::connect(client.get(), &MediaRemoteAdapterClient::unavailable, client.get(), [this] { ++m_unavailable; });
        return client;
    }

    QTemporaryDir m_dir;
    ManualScheduler m_scheduler;
    std::vector<std::optional<NowPlayingTrack>> m_tracks;
    int m_unavailable = 0;
};

QJsonObject parse(const char* json)
{
    return QJsonDocument::fromJson(json).object();
}

} // namespace

TEST(MediaRemoteAdapterPayload, BuildsTracksByTheKeyRules)
{
    EXPECT_FALSE(MediaRemoteAdapterClient::trackFromPayload(parse(R"({"artist":"A"})")));
    EXPECT_FALSE(MediaRemoteAdapterClient::trackFromPayload(parse(R"({"title":"   "})")));
    EXPECT_FALSE(MediaRemoteAdapterClient::trackFromPayload(parse(R"({"title":7})")));

    const auto track = MediaRemoteAdapterClient::trackFromPayload(parse(R"({
        "title":"  Word \n", "artist":"", "album":" LP ", "artworkData":"aGk=", "playing":true,
        "parentApplicationBundleIdentifier":"", "bundleIdentifier":"com.spotify.client",
        "processIdentifier":42.0, "durationMicros":215000000, "elapsedTimeMicros":1500000.5,
        "timestampEpochMicros":1700000000000000, "playbackRate":0})"));
    ASSERT_TRUE(track);
    EXPECT_EQ(track->title, QStringLiteral("Word"));
    EXPECT_FALSE(track->artist);
    EXPECT_EQ(track->album, QStringLiteral("LP"));
    EXPECT_EQ(track->artworkData, QByteArray("hi"));
    EXPECT_TRUE(track->isPlaying);
    EXPECT_EQ(track->sourceBundleIdentifier, QStringLiteral("com.spotify.client"));
    EXPECT_EQ(track->processIdentifier, 42);
    EXPECT_DOUBLE_EQ(*track->duration, 215);
    EXPECT_NEAR(*track->elapsedTime, 1.5, 1e-6);
    EXPECT_EQ(track->elapsedTimestamp, QDateTime::fromSecsSinceEpoch(1'700'000'000, Qt::UTC));
    EXPECT_EQ(track->playbackRate, 0);

    const auto bare = MediaRemoteAdapterClient::trackFromPayload(parse(
        R"({"title":"T","durationMicros":0,"artworkData":"not base64!","playing":"yes","playbackRate":"fast",
            "parentApplicationBundleIdentifier":"org.parent","bundleIdentifier":"child"})"));
    ASSERT_TRUE(bare);
    EXPECT_FALSE(bare->duration);
    EXPECT_FALSE(bare->artworkData);
    EXPECT_FALSE(bare->isPlaying);
    EXPECT_EQ(bare->playbackRate, 1.0);
    EXPECT_EQ(bare->sourceBundleIdentifier, QStringLiteral("org.parent"));
    EXPECT_FALSE(bare->elapsedTime);
}

// Command codes are checked end to end: the dbus test's player receives each command.
TEST(MediaRemoteAdapterPayload, SeekArgumentsAreWholeMicrosecondsNeverNegative)
{
    EXPECT_EQ(MediaRemoteAdapterClient::seekArgument(-3), QStringLiteral("0"));
    EXPECT_EQ(MediaRemoteAdapterClient::seekArgument(12.3456789), QStringLiteral("12345679"));
    EXPECT_EQ(MediaRemoteAdapterClient::seekArgument(83.25), QStringLiteral("83250000"));
    EXPECT_EQ(MediaRemoteAdapterClient::seekArgument(0.0000005), QStringLiteral("1")); // half away from zero
}

TEST_F(AdapterFixture, AvailabilityNeedsScriptAndFramework)
{
    EXPECT_FALSE(makeClient()->isAvailable()); // no script yet
    writeScript("exit 0;");
    EXPECT_TRUE(makeClient()->isAvailable());
    QDir(path(QStringLiteral("lib/MediaRemoteAdapter.framework"))).removeRecursively();
    EXPECT_FALSE(makeClient()->isAvailable());

    // A bundle without the script gives up at once when started anyway.
    MediaRemoteAdapterClient client(AppBundle(std::nullopt, {}, {}, {}), m_scheduler, m_scheduler);
    int unavailable = 0;
    QObject::connect(&client, &MediaRemoteAdapterClient::unavailable, &client, [&] { ++unavailable; });
    client.start();
    EXPECT_EQ(unavailable, 1);
    EXPECT_FALSE(client.isRunning());
}

TEST_F(AdapterFixture, SplitsChunksIntoLinesAndMergesDiffs)
{
    // Two complete lines and half of a third, then the rest once told to go on.
    writeScript(R"PL(
print qq({"type":"data","payload":{"title":"One","artist":"A","album":"B","playing":true,"extra":1}}\n);
print qq(not json\n\n{"type":"other","payload":{"title":"X"}}\n{"type":"data","payload":[]}\n);
print qq({"type":"data","diff":true,"payload":{"artist":null,"title":"Two"}}\n{"type":"data","diff":true,"pay);
while (!-e "$dir/go") { select(undef, undef, undef, 0.01); }
print qq(load":{"playing":false}}\n);
print qq({"type":"data","payload":{"artist":"no title"}}\r\n);
print qq({"type":"data","payload":{"title":"Last"}}\n);
while (1) { sleep 1; }
)PL");
    auto client = makeClient();
    client->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_tracks.size() >= 2; }, boundMs));
    EXPECT_EQ(m_tracks.size(), 2u); // the half line waits for its end
    ASSERT_TRUE(m_tracks[0] && m_tracks[1]);
    EXPECT_EQ(m_tracks[0]->title, QStringLiteral("One"));
    EXPECT_EQ(m_tracks[1]->title, QStringLiteral("Two"));
    EXPECT_FALSE(m_tracks[1]->artist);
    EXPECT_EQ(m_tracks[1]->album, QStringLiteral("B"));
    EXPECT_TRUE(m_tracks[1]->isPlaying);

    touch(QStringLiteral("go"));
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_tracks.size() >= 4; }, boundMs));
    ASSERT_TRUE(m_tracks[2]);
    EXPECT_EQ(m_tracks[2]->title, QStringLiteral("Two"));
    EXPECT_FALSE(m_tracks[2]->isPlaying);
    EXPECT_FALSE(m_tracks[3]); // a whole payload without a title (its \r is part of the line and still JSON)
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_tracks.size() >= 5; }, boundMs));
    EXPECT_EQ(m_tracks[4]->title, QStringLiteral("Last"));
    EXPECT_FALSE(m_tracks[4]->album);

    // After stop, nothing more arrives and the old process's exit is not a failure.
    LogCapture log;
    client->stop();
    client.reset();
    EXPECT_EQ(m_tracks.size(), 5u);
    EXPECT_EQ(m_unavailable, 0);
    EXPECT_FALSE(log.contains(QStringLiteral("Now Playing adapter exited with status 15")));
}

// A multi-megabyte artwork line arriving in 16-byte pieces costs time in
// proportion to its length. Rescanning the buffer on every piece takes
// seconds here; the bound is CPU time of this process, far above the linear
// cost, so a loaded machine does not matter.
TEST_F(AdapterFixture, ALongLineInSmallChunksIsScannedOnce)
{
    writeScript("while (1) { sleep 1; }\n");
    auto client = makeClient();
    client->start();

    const QByteArray line
        = R"({"type":"data","payload":{"title":"Big","artworkData":")" + QByteArray(4 * 1024 * 1024, 'A') + "\"}}\n";
    const std::clock_t begin = std::clock();
    for (qsizetype at = 0; at < line.size(); at += 16)
        client->appendChunk(line.mid(at, 16));
    const double cpuSeconds = double(std::clock() - begin) / CLOCKS_PER_SEC;

    ASSERT_EQ(m_tracks.size(), 1u);
    ASSERT_TRUE(m_tracks[0]);
    EXPECT_EQ(m_tracks[0]->title, QStringLiteral("Big"));
    EXPECT_EQ(m_tracks[0]->artworkData.value_or(QByteArray()).size(), 3 * 1024 * 1024);
    EXPECT_LT(cpuSeconds, 1.0);
    client->stop();
}

TEST_F(AdapterFixture, RelaunchesAfterFailuresAndGivesUpOnTheThirdWithinAMinute)
{
    // Each launch waits for its own "go" file, so exits happen at chosen virtual times.
    writeScript(R"PL(
open(my $f, '>>', "$dir/launches"); print $f "x\n"; close $f;
print qq({"type":"data","payload":{"title":"T"}}\n);
while (!-e "$dir/go") { select(undef, undef, undef, 0.01); }
unlink "$dir/go";
exit 3;
)PL");
    LogCapture log;
    auto client = makeClient();
    auto launches = [&] { return read(QStringLiteral("launches")).count('\n'); };
    auto exits = [&] { return log.messages().count(QStringLiteral("Now Playing adapter exited with status 3")); };
    auto exitAt = [&](qint64 virtualSecond, int expectedExits) {
        m_scheduler.advance(virtualSecond * 1000 - m_scheduler.monotonicMs());
        touch(QStringLiteral("go"));
        return QTest::qWaitFor([&] { return exits() == expectedExits; }, boundMs);
    };

    client->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return launches() == 1 && !m_tracks.empty(); }, boundMs));
    ASSERT_TRUE(exitAt(0, 1));
    EXPECT_FALSE(m_tracks.back()); // an ended stream reports nothing playing at once
    m_scheduler.advance(1999);
    EXPECT_EQ(launches(), 1);
    m_scheduler.advance(1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return launches() == 2; }, boundMs));
    ASSERT_TRUE(exitAt(10, 2));
    m_scheduler.advance(2000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return launches() == 3; }, boundMs));
    ASSERT_TRUE(exitAt(20, 3));
    EXPECT_EQ(m_unavailable, 1);
    EXPECT_FALSE(client->isRunning());
    m_scheduler.advance(5000);
    EXPECT_EQ(launches(), 3);

    // start() clears the history: exits at 100, 110 and 170 s all relaunch.
    client->start();
    ASSERT_TRUE(QTest::qWaitFor([&] { return launches() == 4; }, boundMs));
    ASSERT_TRUE(exitAt(100, 4));
    m_scheduler.advance(2000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return launches() == 5; }, boundMs));
    ASSERT_TRUE(exitAt(110, 5));
    m_scheduler.advance(2000);
    ASSERT_TRUE(QTest::qWaitFor([&] { return launches() == 6; }, boundMs));
    ASSERT_TRUE(exitAt(170, 6));
    EXPECT_EQ(m_unavailable, 1);
    EXPECT_TRUE(client->isRunning());

    // stop() while a relaunch is pending: it never happens.
    client->stop();
    m_scheduler.advance(5000);
    EXPECT_EQ(launches(), 6);
}

TEST_F(AdapterFixture, OneShotCommandsRunTheAdapterWithTheirArguments)
{
    writeScript(R"PL(
open(my $f, '>>', "$dir/commands"); print $f join(' ', @ARGV[1..$#ARGV]) . "\n"; close $f;
open(my $g, '>', "$dir/framework"); print $g $ARGV[0]; close $g;
exit($ARGV[1] eq 'seek' ? 0 : 4);
)PL");
    LogCapture log;
    auto client = makeClient();
    client->send(NowPlayingCommand::nextTrack); // the stream need not run
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return log.contains(QStringLiteral("Now Playing command exited with status 4")); }, boundMs));
    client->seek(12.3456789);
    ASSERT_TRUE(QTest::qWaitFor([&] { return read(QStringLiteral("commands")).count('\n') == 2; }, boundMs));
    EXPECT_EQ(read(QStringLiteral("commands")), QByteArray("send 4\nseek 12345679\n"));
    EXPECT_EQ(read(QStringLiteral("framework")), path(QStringLiteral("lib/MediaRemoteAdapter.framework")).toUtf8());
}
