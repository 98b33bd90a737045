#include "ClockText.h"
#include "ClockTimeline.h"
#include "ManualScheduler.h"
#include "MinuteTicker.h"
#include "WallClockEvents.h"

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

// The one minute tick of the clock, the calendar and the clipboard's ages.
TEST(MinuteTickerTest, TicksOnEachSideOfABoundaryOnlyOnceAndAtOnceWhenWallTimeJumps)
{
    qputenv("TZ", "UTC");
    tzset();
    ManualScheduler time(QDateTime(QDate(2026, 1, 5), QTime(21, 4, 30), Qt::UTC));
    WallClockEvents events;
    MinuteTicker ticker(time, time, events);
    QList<QTime> ticks;
    QObject::connect(&ticker, &MinuteTicker::ticked, [&](const QDateTime& now) { ticks << now.time(); });
    ClockTimeline clock(time, time, QLocale(QLocale::German, QLocale::Germany), events);
    ticker.start();
    EXPECT_EQ(ticks, QList { QTime(21, 4, 30) });

    time.advance(29'999);
    EXPECT_EQ(ticks.size(), 1);
    time.advance(1);
    EXPECT_EQ(ticks.last(), QTime(21, 5));
    EXPECT_EQ(time.pendingCount(), 2); // one task each, never a repeating tick

    // A wall clock half a second behind the timer: no second tick in 21:05.
    time.jumpWallClock(-500);
    time.advance(60'000);
    EXPECT_EQ(ticks.size(), 2);
    time.advance(500);
    EXPECT_EQ(ticks.last(), QTime(21, 6));

    // Two hours asleep (or a clock set by hand, a new time zone): the wall
    // clock moved, monotonic time did not. The next tick comes at the new
    // time's boundary, 50 s on.
    time.jumpWallClock((2 * 3600 + 10) * 1000);
    Q_EMIT events.wallClockChanged();
    EXPECT_EQ(ticks.last(), QTime(23, 6, 10));
    EXPECT_EQ(clock.timeText(), QStringLiteral("23:06"));
    time.advance(49'999);
    EXPECT_EQ(ticks.size(), 4);
    time.advance(1);
    EXPECT_EQ(ticks.last(), QTime(23, 7));

    // Stopped, it neither ticks nor follows jumps.
    ticker.stop();
    Q_EMIT events.wallClockChanged();
    time.advance(120'000);
    EXPECT_EQ(ticks.size(), 5);
    EXPECT_EQ(time.pendingCount(), 1);
}
