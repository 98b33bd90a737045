#include "NowPlayingTrack.h"

#include <gtest/gtest.h>

TEST(NowPlayingTrack, ExtrapolatesOnlyWhilePlayingAndClampsToTheTrack)
{
    const QDateTime t0(QDate(2026, 1, 5), QTime(10, 0), Qt::UTC);
    NowPlayingTrack none;
    none.title = QStringLiteral("Song");
    none.isPlaying = true;
    none.duration = 100;
    EXPECT_FALSE(none.elapsed(t0.addSecs(5)));

    const struct {
        double elapsed, rate;
        bool playing, stamped;
        std::optional<double> duration;
        qint64 afterMs;
        double shown;
    } cases[] = {
        { 10, 1, true, true, {}, 5000, 15 },
        { 10, 2, true, true, {}, 5000, 20 },
        { 10, 0, true, true, {}, 5000, 10 },
        { 10, 1, false, true, {}, 500'000, 10 },
        { 10, 1, true, false, {}, 5000, 10 },
        { 10, 1, true, true, {}, 6'000'000, 6010 },
        // Held at the duration from the moment it is reached.
        { 10, 1, true, true, 12, 1999, 11.999 },
        { 10, 1, true, true, 12, 2000, 12 },
        { 10, 1, true, true, 12, 60'000, 12 },
        // Earlier than the timestamp: below zero reads as 0.
        { 2, 1, true, true, {}, -1999, 0.001 },
        { 2, 1, true, true, {}, -2000, 0 },
        { 2, 1, true, true, {}, -5000, 0 },
    };
    for (const auto& c : cases) {
        NowPlayingTrack track;
        track.title = QStringLiteral("Song");
        track.isPlaying = c.playing;
        track.elapsedTime = c.elapsed;
        if (c.stamped)
            track.elapsedTimestamp = t0;
        track.playbackRate = c.rate;
        track.duration = c.duration;
        EXPECT_NEAR(*track.elapsed(t0.addMSecs(c.afterMs)), c.shown, 1e-9) << c.elapsed << " after " << c.afterMs << " ms";
    }
}
