#include "ArtworkImage.h"
#include "AudioWave.h"
#include "NowPlayingPresentation.h"
#include "NowPlayingService.h"
#include "NowPlayingTrack.h"

#include <QPainter>

#include <gtest/gtest.h>

TEST(AudioWaveMotion, BarsRiseAndFallOutOfStepForever)
{
    // Bar 0 starts at rest, is fully up after one duration and back down after two.
    EXPECT_DOUBLE_EQ(AudioWave::barScale(0, 0), 0.25);
    EXPECT_NEAR(AudioWave::barScale(0, 0.52), 1.0, 1e-6);
    EXPECT_NEAR(AudioWave::barScale(0, 0.26), 0.625, 1e-3); // eased symmetrically: half way at half time
    EXPECT_LT(AudioWave::barScale(0, 0.05), 0.25 + 0.75 * 0.05 / 0.52); // starts slowly
    EXPECT_NEAR(AudioWave::barScale(0, 1.04), 0.25, 1e-6);
    for (int i = 0; i < 4; ++i) {
        const double cycle = 2 * AudioWave::barDuration(i);
        for (double t : { 0.1, 0.37, 0.9 })
            EXPECT_NEAR(AudioWave::barScale(i, t), AudioWave::barScale(i, t + 7 * cycle), 1e-6) << i << " " << t;
    }
    // The other bars begin 0.13 s per bar into their cycle, so they are already apart.
    EXPECT_GT(AudioWave::barScale(1, 0), 0.25);
    EXPECT_GT(AudioWave::barScale(3, 0), AudioWave::barScale(2, 0));
    // Bar 2 (0.46 s each way) starts 0.26 s in: it tops at 0.2 s and falls after.
    EXPECT_NEAR(AudioWave::barScale(2, 0.2), 1.0, 1e-6);
    EXPECT_LT(AudioWave::barScale(2, 0.3), AudioWave::barScale(2, 0.2));
}

TEST(ArtworkFill, CoversTheFrameAndKeepsTheMiddle)
{
    QImage wide(300, 100, QImage::Format_RGB32);
    wide.fill(Qt::red);
    QPainter(&wide).fillRect(100, 0, 100, 100, Qt::blue);
    const QImage square = ArtworkImage::filling(wide, QSize(50, 50));
    ASSERT_EQ(square.size(), QSize(50, 50));
    // Scaled to 150 × 50 and cropped to the middle third: all blue.
    EXPECT_EQ(QColor(square.pixel(1, 25)), QColor(Qt::blue));
    EXPECT_EQ(QColor(square.pixel(48, 25)), QColor(Qt::blue));
    EXPECT_TRUE(ArtworkImage::filling(QImage(), QSize(50, 50)).isNull());
    EXPECT_TRUE(ArtworkImage::filling(wide, QSize(0, 50)).isNull());
}

TEST(NowPlayingText, TimesSubtitlesAndLabels)
{
    EXPECT_EQ(NowPlayingPresentation::format(59.9), QStringLiteral("0:59"));
    EXPECT_EQ(NowPlayingPresentation::format(75), QStringLiteral("1:15"));
    EXPECT_EQ(NowPlayingPresentation::format(3599), QStringLiteral("59:59"));
    EXPECT_EQ(NowPlayingPresentation::format(3600), QStringLiteral("1:00:00"));
    EXPECT_EQ(NowPlayingPresentation::format(3725), QStringLiteral("1:02:05"));

    NowPlayingTrack t;
    t.title = QStringLiteral("T");
    EXPECT_EQ(NowPlayingPresentation::subtitle(t), QString());
    t.artist = QString();
    t.album = QStringLiteral("LP");
    EXPECT_EQ(NowPlayingPresentation::subtitle(t), QStringLiteral("LP"));
    t.artist = QStringLiteral("Ann");
    EXPECT_EQ(NowPlayingPresentation::subtitle(t), QStringLiteral("Ann · LP"));

    EXPECT_EQ(NowPlayingPresentation::sourceButtonLabel(QString()), QStringLiteral("Open player"));
    EXPECT_EQ(NowPlayingPresentation::sourceButtonLabel(QStringLiteral("VLC")), QStringLiteral("Open VLC"));
}
