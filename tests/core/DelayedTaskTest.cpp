#include "DelayedTask.h"
#include "ManualScheduler.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(DelayedTask, RunsOnceWhenItsTimeComesAndNotBefore)
{
    ManualScheduler s;
    DelayedTask task(s);
    int runs = 0;
    task.start(200ms, [&] { ++runs; });
    EXPECT_TRUE(task.isPending());
    s.advance(199);
    EXPECT_EQ(runs, 0);
    s.advance(1);
    EXPECT_EQ(runs, 1);
    EXPECT_FALSE(task.isPending());
    s.advance(1000);
    EXPECT_EQ(runs, 1);
}

TEST(DelayedTask, ReplacingCancelsTheOldTaskAndCancelledTasksNeverRun)
{
    ManualScheduler s;
    DelayedTask task(s);
    QStringList ran;
    task.start(100ms, [&] { ran << QStringLiteral("first"); });
    s.advance(50);
    task.start(100ms, [&] { ran << QStringLiteral("second"); });
    s.advance(60); // the first one's time has passed
    EXPECT_TRUE(ran.isEmpty());
    s.advance(40);
    EXPECT_EQ(ran, QStringList { QStringLiteral("second") });

    task.start(10ms, [&] { ran << QStringLiteral("third"); });
    task.cancel();
    EXPECT_TRUE(task.hasTask()); // the field keeps the cancelled task
    s.advance(1000);
    EXPECT_EQ(ran.size(), 1);
    EXPECT_EQ(s.pendingCount(), 0);
}

TEST(DelayedTask, RepeatingTaskRunsEachIntervalUntilCancelledEvenFromInside)
{
    ManualScheduler s;
    DelayedTask task(s);
    int ticks = 0;
    task.startRepeating(300ms, [&] {
        if (++ticks == 3)
            task.cancel();
    });
    s.advance(650);
    EXPECT_EQ(ticks, 2);
    s.advance(5000);
    EXPECT_EQ(ticks, 3);
    EXPECT_EQ(s.pendingCount(), 0);
}

TEST(DelayedTask, DestroyingTheFieldCancelsAndATaskMayStartItsSuccessor)
{
    ManualScheduler s;
    int runs = 0;
    {
        DelayedTask task(s);
        task.start(10ms, [&] { ++runs; });
    }
    s.advance(100);
    EXPECT_EQ(runs, 0);

    DelayedTask chain(s);
    chain.start(10ms, [&] {
        ++runs;
        chain.start(10ms, [&] { ++runs; });
    });
    s.advance(20); // both fall due inside one advance
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(s.monotonicMs(), 120);
}
