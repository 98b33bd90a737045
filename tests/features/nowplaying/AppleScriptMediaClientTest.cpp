#include "AppleScriptMediaClient.h"
#include "FakePlayerNotificationCenter.h"
#include "FakeRunningApplications.h"
#include "FakeScriptRunner.h"
#include "FakeWebLoader.h"
#include "LogCapture.h"
#include "ManualScheduler.h"

#include <gtest/gtest.h>

namespace {

const QString music = QStringLiteral("com.apple.Music");
const QString spotify = QStringLiteral("com.spotify.client");
const QString musicNote = QStringLiteral("com.apple.Music.playerInfo");
const QString spotifyNote = QStringLiteral("com.spotify.client.PlaybackStateChanged");

const AppleScriptMediaClient::Player& player(const QString& id)
{
    for (const auto& p : AppleScriptMediaClient::players()) {
        if (p.bundleIdentifier == id)
            return p;
    }
    throw std::logic_error("unknown player");
}

class AppleScriptFixture : public ::testing::Test {
protected:
    AppleScriptFixture()
        : client(scripts, notes, apps, web, clock)
    {
        QObject::connect(&client, &AppleScriptMediaClient::trackChanged, &client,
            [this](const std::optional<NowPlayingTrack>& t) { reports.push_back(t); });
        client.startObserving();
    }

    void post(const QString& name, const QVariantMap& info) { notes.post(name, info); }
    static QVariantMap info(const char* state, const char* title, const char* artist = "Artist", const char* album = "Album")
    {
        QVariantMap map { { QStringLiteral("Player State"), QString::fromUtf8(state) } };
        if (title)
            map.insert(QStringLiteral("Name"), QString::fromUtf8(title));
        if (artist)
            map.insert(QStringLiteral("Artist"), QString::fromUtf8(artist));
        if (album)
            map.insert(QStringLiteral("Album"), QString::fromUtf8(album));
        return map;
    }

    FakeScriptRunner scripts;
    FakePlayerNotificationCenter notes;
    FakeRunningApplications apps;
    FakeWebLoader web;
    ManualScheduler clock;
    AppleScriptMediaClient client;
    std::vector<std::optional<NowPlayingTrack>> reports;
};

} // namespace

TEST_F(AppleScriptFixture, ObservingOnlyBuildsTracksFromNotifications)
{
    EXPECT_EQ(notes.observerCount(), 2);
    apps.running = { music };
    post(musicNote, info("Paused", "  Word  ", "Artist", ""));
    ASSERT_EQ(reports.size(), 1u);
    ASSERT_TRUE(reports[0]);
    EXPECT_EQ(reports[0]->title, QStringLiteral("Word"));
    EXPECT_EQ(reports[0]->album, QString()); // an empty text stays, only a missing one is absent
    EXPECT_FALSE(reports[0]->isPlaying);
    EXPECT_EQ(reports[0]->sourceBundleIdentifier, music);
    EXPECT_FALSE(reports[0]->elapsedTime);
    EXPECT_TRUE(scripts.ran.isEmpty()); // no scripts while only observing

    post(musicNote, info("Playing", nullptr));
    EXPECT_EQ(reports.size(), 1u); // no title: nothing
    post(spotifyNote, info("Stopped", "x"));
    EXPECT_EQ(reports.size(), 1u); // another player's stop does not end Music's track
    post(musicNote, info("Stopped", nullptr));
    ASSERT_EQ(reports.size(), 2u);
    EXPECT_FALSE(reports[1]);

    client.stopObserving();
    EXPECT_EQ(notes.observerCount(), 0);
    post(musicNote, info("Playing", "Again"));
    EXPECT_EQ(reports.size(), 2u);
}

TEST_F(AppleScriptFixture, ActivationScansPlayersAndScriptsCompleteTheTrack)
{
    apps.running = { music, spotify };
    const auto& m = player(music);
    const auto& s = player(spotify);
    scripts.answers[AppleScriptMediaClient::refreshScript(m)] = QStringLiteral("Paused song\tMA\tMB\tpaused");
    scripts.answers[AppleScriptMediaClient::refreshScript(s)] = QStringLiteral("Spot\tSA\tSB\tplaying");
    scripts.answers[AppleScriptMediaClient::timingScript(m)] = QVariantList { 1.0, 215.0 };
    scripts.answers[AppleScriptMediaClient::timingScript(s)] = QVariantList { 12.5, 215000 };
    scripts.answers[AppleScriptMediaClient::artworkScript(m)] = QByteArray("music-art");
    scripts.answers[AppleScriptMediaClient::artworkScript(s)] = QStringLiteral("https://i.example/cover.jpg");

    client.activate();
    ASSERT_TRUE(client.activePlayer());
    EXPECT_EQ(client.activePlayer()->bundleIdentifier, spotify); // a playing Spotify wins over a paused Music
    const auto& track = client.currentTrack();
    ASSERT_TRUE(track);
    EXPECT_TRUE(track->isPlaying);
    EXPECT_DOUBLE_EQ(*track->duration, 215); // milliseconds for Spotify
    EXPECT_DOUBLE_EQ(*track->elapsedTime, 12.5);
    EXPECT_EQ(track->elapsedTimestamp, clock.now());
    // Activation loads the artwork again for a track still without it; the first download is cancelled.
    ASSERT_EQ(web.requested.size(), 2);
    EXPECT_EQ(web.pendingCount(), 1);
    EXPECT_EQ(web.requested[1], QUrl(QStringLiteral("https://i.example/cover.jpg")));
    web.finish(QByteArray("spot-art"));
    EXPECT_EQ(client.currentTrack()->artworkData, QByteArray("spot-art"));

    // The same track again keeps its artwork and duration; a zero duration drops it.
    scripts.answers[AppleScriptMediaClient::timingScript(s)] = QVariantList { 13.0, 0 };
    post(spotifyNote, info("Paused", "Spot", "SA", "SB"));
    EXPECT_EQ(client.currentTrack()->artworkData, QByteArray("spot-art"));
    EXPECT_FALSE(client.currentTrack()->duration);
    EXPECT_EQ(web.requested.size(), 2);

    // Music takes over with its own bytes; a late Spotify download is dropped.
    scripts.answers[AppleScriptMediaClient::refreshScript(s)] = QStringLiteral("x\ty\tz"); // three parts: ignored
    post(musicNote, info("Paused", "Paused song", "MA", "MB"));
    EXPECT_EQ(client.activePlayer()->bundleIdentifier, music);
    EXPECT_DOUBLE_EQ(*client.currentTrack()->duration, 215);
    EXPECT_EQ(client.currentTrack()->artworkData, QByteArray("music-art"));

    scripts.ran.clear();
    client.send(NowPlayingCommand::playPause);
    client.seek(83.25);
    EXPECT_EQ(scripts.ran,
        (QStringList { QStringLiteral("tell application \"Music\" to playpause"),
            QStringLiteral("tell application \"Music\" to set player position to 83.25") }));
    apps.running.remove(music);
    client.send(NowPlayingCommand::nextTrack);
    EXPECT_EQ(scripts.ran.size(), 2); // a player that is not running is never scripted
}

TEST_F(AppleScriptFixture, FailuresLeaveTheTrackAsItWas)
{
    LogCapture log;
    apps.running = { spotify };
    const auto& s = player(spotify);
    client.activate(); // Spotify's refresh script fails: logged, no track
    EXPECT_TRUE(log.contains(QStringLiteral("AppleScript failed: no answer for script")));
    EXPECT_FALSE(client.currentTrack());

    scripts.answers[AppleScriptMediaClient::timingScript(s)] = QVariantList { 1.0 }; // one item: ignored
    scripts.answers[AppleScriptMediaClient::artworkScript(s)] = QStringLiteral("http://i.example/cover.jpg");
    post(spotifyNote, info("Playing", "Song"));
    ASSERT_TRUE(client.currentTrack());
    EXPECT_FALSE(client.currentTrack()->elapsedTime);
    EXPECT_TRUE(web.requested.isEmpty()); // never an unencrypted address

    scripts.answers[AppleScriptMediaClient::artworkScript(s)] = QStringLiteral("https://i.example/a.jpg");
    post(spotifyNote, info("Playing", "Other"));
    ASSERT_EQ(web.pendingCount(), 1);
    web.finish(std::nullopt, QStringLiteral("timed out"));
    EXPECT_TRUE(log.contains(QStringLiteral("Unable to load Spotify artwork: timed out")));
    EXPECT_FALSE(client.currentTrack()->artworkData);

    // A stop cancels a running download.
    post(spotifyNote, info("Playing", "Third"));
    EXPECT_EQ(web.pendingCount(), 1);
    client.stopObserving();
    EXPECT_EQ(web.pendingCount(), 0);
    EXPECT_FALSE(client.currentTrack());
    EXPECT_FALSE(client.isActive());
}
