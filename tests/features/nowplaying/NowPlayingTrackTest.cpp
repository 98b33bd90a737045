#include "NowPlayingTrack.h"

#include <gtest/gtest.h>

namespace {

const QDateTime t0(QDate(2026, 1, 5), QTime(10, 0), Qt::UTC);

NowPlayingTrack playing(double elapsed, double rate = 1.0)
{
    NowPlayingTrack track;
    track.title = QStringLiteral("Song");
    track.isPlaying = true;
    track.elapsedTime = elapsed;
    track.elapsedTimestamp = t0;
    track.playbackRate = rate;
    return track;
}

} // namespace

TEST(NowPlayingTrack, ExtrapolatesOnlyWhilePlayingAndClampsToTheTrack)
{
    NowPlayingTrack none;
    none.title = QStringLiteral("Song");
    none.isPlaying = true;
    none.duration = 100;
    EXPECT_FALSE(none.elapsed(t0.addSecs(5)));

    EXPECT_DOUBLE_EQ(*playing(10).elapsed(t0.addSecs(5)), 15);
    EXPECT_DOUBLE_EQ(*playing(10, 2).elapsed(t0.addSecs(5)), 20);
    EXPECT_DOUBLE_EQ(*playing(10, 0).elapsed(t0.addSecs(5)), 10);

    NowPlayingTrack paused = playing(10);
    paused.isPlaying = false;
    EXPECT_DOUBLE_EQ(*paused.elapsed(t0.addSecs(500)), 10);

    NowPlayingTrack noStamp = playing(10);
    noStamp.elapsedTimestamp.reset();
    EXPECT_DOUBLE_EQ(*noStamp.elapsed(t0.addSecs(5)), 10);

    NowPlayingTrack bounded = playing(10);
    bounded.duration = 12;
    EXPECT_DOUBLE_EQ(*bounded.elapsed(t0.addSecs(60)), 12);
    EXPECT_DOUBLE_EQ(*playing(10).elapsed(t0.addSecs(6000)), 6010);

    // Earlier than the timestamp: the sum goes below zero and reads as 0.
    EXPECT_DOUBLE_EQ(*playing(2).elapsed(t0.addSecs(-5)), 0);
}
