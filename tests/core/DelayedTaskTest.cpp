#include "DelayedTask.h"
#include "ManualScheduler.h"

#include <gtest/gtest.h>

using namespace std::chrono_literals;

TEST(DelayedTask, RunsOnceAtItsTimeAndAReplacedCancelledOrDestroyedTaskNever)
{
    ManualScheduler s;
    QStringList ran;
    {
        DelayedTask task(s);
        task.start(200ms, [&] { ran << QStringLiteral("first"); });
        EXPECT_TRUE(task.isPending());
        s.advance(199);
        EXPECT_TRUE(ran.isEmpty());
        s.advance(1);
        EXPECT_EQ(ran, QStringList { QStringLiteral("first") });
        EXPECT_FALSE(task.isPending());

        task.start(100ms, [&] { ran << QStringLiteral("old"); });
        s.advance(50);
        task.start(100ms, [&] { ran << QStringLiteral("second"); });
        s.advance(60); // the replaced one's time has passed
        EXPECT_EQ(ran.size(), 1);
        s.advance(40);
        EXPECT_EQ(ran.last(), QStringLiteral("second"));

        task.start(10ms, [&] { ran << QStringLiteral("cancelled"); });
        task.cancel();
        EXPECT_TRUE(task.hasTask()); // the field keeps the cancelled task
        s.advance(1000);
        task.start(10ms, [&] { ran << QStringLiteral("destroyed"); });
    }
    s.advance(100);
    EXPECT_EQ(ran.size(), 2);
    EXPECT_EQ(s.pendingCount(), 0);
}

TEST(DelayedTask, RepeatsUntilCancelledFromInsideAndATaskMayStartItsSuccessor)
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

    int runs = 0;
    task.start(10ms, [&] {
        ++runs;
        task.start(10ms, [&] { ++runs; });
    });
    s.advance(20); // both fall due inside one advance
    EXPECT_EQ(runs, 2);
}
