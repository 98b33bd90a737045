#include "ClockText.h"
#include "ClockTimeline.h"
#include "ManualScheduler.h"
#include "WallClockEvents.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>

TEST(ClockTextTest, TwentyFourAndTwelveHourLocales)
{
    const QLocale german(QLocale::German, QLocale::Germany);
    const QLocale american(QLocale::English, QLocale::UnitedStates);
    EXPECT_FALSE(ClockText::usesTwelveHourClock(german));
    EXPECT_TRUE(ClockText::usesTwelveHourClock(american));

    EXPECT_EQ(ClockText::text(QTime(21, 5), german), (ClockText::Parts { QStringLiteral("21:05"), QString() }));
    EXPECT_EQ(ClockText::text(QTime(21, 5), american), (ClockText::Parts { QStringLiteral("9:05"), american.pmText() }));
    EXPECT_EQ(ClockText::text(QTime(0, 30), american), (ClockText::Parts { QStringLiteral("12:30"), american.amText() }));
    EXPECT_EQ(ClockText::text(QTime(12, 0), american).period, american.pmText());
    // The locale's own hour width and separator.
    EXPECT_EQ(ClockText::text(QTime(9, 5), german).time, QStringLiteral("09:05"));
    EXPECT_EQ(ClockText::text(QTime(9, 5), QLocale(QLocale::Finnish, QLocale::Finland)).time, QStringLiteral("9.05"));
    EXPECT_FALSE(ClockText::usesTwelveHourClock(QLocale::c()));
}

TEST(ClockTimelineTest, ChangesTextOnlyAtMinuteBoundaries)
{
    qputenv("TZ", "UTC");
    tzset();
    ManualScheduler time(QDateTime(QDate(2026, 1, 5), QTime(21, 4, 30), Qt::UTC));
    WallClockEvents events;
    ClockTimeline clock(time, time, QLocale(QLocale::German, QLocale::Germany), events);
    QSignalSpy changes(&clock, &ClockTimeline::textChanged);
    EXPECT_EQ(clock.timeText(), QStringLiteral("21:04"));
    EXPECT_EQ(time.pendingCount(), 1);

    time.advance(29'000);
    EXPECT_EQ(changes.count(), 0);
    time.advance(1'100);
    EXPECT_EQ(clock.timeText(), QStringLiteral("21:05"));
    EXPECT_EQ(changes.count(), 1);
    time.advance(59'000);
    EXPECT_EQ(changes.count(), 1);
    time.advance(1'000);
    EXPECT_EQ(clock.timeText(), QStringLiteral("21:06"));
    EXPECT_EQ(time.pendingCount(), 1); // one task, never a repeating tick
}

TEST(ClockTimelineTest, ReadsTheWallClockAgainAfterASleepOrAClockChange)
{
    qputenv("TZ", "UTC");
    tzset();
    ManualScheduler time(QDateTime(QDate(2026, 1, 5), QTime(21, 4, 30), Qt::UTC));
    WallClockEvents events;
    ClockTimeline clock(time, time, QLocale(QLocale::German, QLocale::Germany), events);

    // Two hours asleep: the wall clock went on, monotonic time did not.
    time.jumpWallClock((2 * 3600 + 10) * 1000);
    Q_EMIT events.wallClockChanged();
    EXPECT_EQ(clock.timeText(), QStringLiteral("23:04"));
    // The next change comes at the new time's boundary (23:05:00, 20 s on),
    // not when the minute that began before the sleep would have ended.
    time.advance(19'000);
    EXPECT_EQ(clock.timeText(), QStringLiteral("23:04"));
    time.advance(1'100);
    EXPECT_EQ(clock.timeText(), QStringLiteral("23:05"));
    EXPECT_EQ(time.pendingCount(), 1);

    // The clock set back by hand, or a new time zone: shown at once.
    time.jumpWallClock(-3 * 3600 * 1000);
    Q_EMIT events.wallClockChanged();
    EXPECT_EQ(clock.timeText(), QStringLiteral("20:05"));
    EXPECT_EQ(time.pendingCount(), 1);
}
