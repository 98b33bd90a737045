#include "ActivityService.h"
#include "FakeActivityHost.h"
#include "LogCapture.h"
#include "ManualScheduler.h"

#include <QSignalSpy>

#include <gtest/gtest.h>

#include <cmath>

namespace {

const QString app = QStringLiteral(":1.7");
const QString other = QStringLiteral(":1.9");

struct ActivityServiceTest : ::testing::Test {
    ManualScheduler time;
    FakeActivityHost host;
    ActivityService service { host, time, time };

    qint64 now() const { return time.now().toMSecsSinceEpoch(); }
    quint32 started(const QVariantMap& hints = {}, const QString& caller = app)
    {
        const ActivityAnswer answer = host.start(caller, QStringLiteral("Tea"), hints);
        EXPECT_FALSE(answer.refusal) << answer.message.toStdString();
        return answer.id;
    }
    static QVariantMap notOwned(QVariantMap hints = {})
    {
        hints.insert(QStringLiteral("owned"), false);
        return hints;
    }
};

TEST_F(ActivityServiceTest, TextsAndHintsAreCheckedAtTheirLimits)
{
    const qint64 t = now();
    struct Case {
        const char* what;
        QString title;
        QVariantMap hints;
        bool accepted;
    };
    const QString tea = QStringLiteral("Tea");
    const QString emoji = QString::fromUcs4(U"\U0001F375");
    const QList<Case> cases {
        { "title at 120 characters, astral ones counted once", emoji.repeated(120), {}, true },
        { "title at 121 characters", QString(121, QLatin1Char('x')), {}, false },
        { "blank title", QStringLiteral("  "), {}, false },
        { "title with a line feed", QStringLiteral("a\nb"), {}, false },
        { "subtitle at 200", tea, { { "subtitle", QString(200, QLatin1Char('s')) } }, true },
        { "subtitle at 201", tea, { { "subtitle", QString(201, QLatin1Char('s')) } }, false },
        { "progress 0", tea, { { "progress", 0.0 } }, true },
        { "progress 1 as an integer", tea, { { "progress", 1 } }, true },
        { "progress just below 0", tea, { { "progress", -0.001 } }, false },
        { "progress just above 1", tea, { { "progress", 1.001 } }, false },
        { "progress not a number", tea, { { "progress", std::nan("") } }, false },
        { "progress as text", tea, { { "progress", QStringLiteral("0.5") } }, false },
        { "countdown ending now", tea, { { "endsAt", t } }, true },
        { "countdown 1 ms in the past", tea, { { "endsAt", t - 1 } }, false },
        { "countdown as a double", tea, { { "endsAt", double(t + 1000) } }, false },
        { "symbol as a name", tea, { { "symbol", QStringLiteral("media-record") } }, true },
        { "symbol as a path", tea, { { "symbol", QStringLiteral("/etc/passwd") } }, false },
        { "symbol climbing out", tea, { { "symbol", QStringLiteral("../x") } }, false },
        { "symbol of 100 characters", tea, { { "symbol", QString(100, QLatin1Char('a')) } }, true },
        { "symbol of 101 characters", tea, { { "symbol", QString(101, QLatin1Char('a')) } }, false },
        { "two actions", tea, { { "actions", QStringList { "Stop", "Snooze" } } }, true },
        { "three actions", tea, { { "actions", QStringList { "a", "b", "c" } } }, false },
        { "an empty action", tea, { { "actions", QStringList { "" } } }, false },
        { "accent", tea, { { "accent", QStringLiteral("#ff8800") } }, true },
        { "accent with a stray letter", tea, { { "accent", QStringLiteral("#ff880g") } }, false },
        { "accent by name", tea, { { "accent", QStringLiteral("red") } }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const ActivityAnswer answer = host.start(app, c.title, c.hints);
        EXPECT_EQ(!answer.refusal, c.accepted) << answer.message.toStdString();
        if (answer.refusal)
            EXPECT_EQ(*answer.refusal, ActivityRefusal::invalid);
        else
            host.end(app, answer.id);
    }
    // An unknown hint is left out and said once per caller.
    LogCapture log;
    const QVariantMap odd { { QStringLiteral("sound"), QStringLiteral("bell") } };
    const quint32 id = started(odd);
    EXPECT_FALSE(service.activity(id)->hints.contains(QStringLiteral("sound")));
    started(odd);
    EXPECT_EQ(log.messages().filter(QStringLiteral("sound")).size(), 1);
}

TEST_F(ActivityServiceTest, LimitsPerCallerAndInAll)
{
    for (int i = 0; i < ActivityService::maxPerCaller; ++i)
        started();
    EXPECT_EQ(host.start(app, QStringLiteral("Ninth")).refusal, ActivityRefusal::tooMany);
    // Another caller has its own eight, up to 32 in all.
    for (int caller = 1; caller < 4; ++caller) {
        for (int i = 0; i < ActivityService::maxPerCaller; ++i)
            started({}, QStringLiteral(":2.%1").arg(caller));
    }
    EXPECT_EQ(service.list().size(), ActivityService::maxInAll);
    EXPECT_EQ(host.start(QStringLiteral(":3.1"), QStringLiteral("Extra")).refusal, ActivityRefusal::tooMany);
    host.end(app, 1);
    EXPECT_FALSE(host.start(QStringLiteral(":3.1"), QStringLiteral("Extra")).refusal);
}

TEST_F(ActivityServiceTest, OnlyTheOwnerChangesAnOwnedActivityWhichEndsWithItsCaller)
{
    const quint32 owned = started();
    const quint32 shared = started(notOwned());
    const QVariantMap half { { QStringLiteral("progress"), 0.5 } };
    EXPECT_EQ(host.update(other, owned, half).refusal, ActivityRefusal::notAllowed);
    EXPECT_EQ(host.end(other, owned).refusal, ActivityRefusal::notAllowed);
    EXPECT_FALSE(host.update(other, shared, half).refusal);
    EXPECT_EQ(host.update(app, owned, { { QStringLiteral("owned"), false } }).refusal, ActivityRefusal::invalid);
    EXPECT_EQ(host.update(app, 99, half).refusal, ActivityRefusal::notFound);
    // A refused update changes nothing, not even the hints it would have set alongside.
    EXPECT_EQ(host.update(app, owned, { { "subtitle", "x" }, { "progress", 2.0 } }).refusal, ActivityRefusal::invalid);
    EXPECT_TRUE(service.activity(owned)->subtitle.isEmpty());

    // An unowned one ends an hour after its last update; an owned one only with its caller.
    time.advance(ActivityService::unownedIdleLimit.count() / 2);
    host.update(app, shared, { { QStringLiteral("subtitle"), QStringLiteral("still here") } });
    time.advance(ActivityService::unownedIdleLimit.count() - 1);
    EXPECT_TRUE(service.activity(shared));
    time.advance(1);
    EXPECT_FALSE(service.activity(shared));
    EXPECT_EQ(host.ended.last(), std::pair(shared, ActivityEndReason::timedOut));
    time.advance(10 * ActivityService::unownedIdleLimit.count());
    ASSERT_TRUE(service.activity(owned));
    const quint32 second = started(notOwned());
    EXPECT_FALSE(host.end(other, second).refusal);
    EXPECT_EQ(host.ended.last(), std::pair(second, ActivityEndReason::byOwner));
    EXPECT_EQ(host.end(app, second).refusal, ActivityRefusal::notFound);

    const quint32 third = started(notOwned());
    EXPECT_TRUE(host.watched.contains(app));
    host.ended.clear();
    host.leave(app);
    EXPECT_EQ(host.ended, (QList<std::pair<quint32, ActivityEndReason>> { { owned, ActivityEndReason::ownerLeft } }));
    EXPECT_TRUE(service.activity(third));
    EXPECT_FALSE(host.watched.contains(app));
}

TEST_F(ActivityServiceTest, CountdownShowsDoneForTenSecondsThenEnds)
{
    QSignalSpy compact(&service, &ActivityService::compactChanged);
    const quint32 id = started({ { QStringLiteral("endsAt"), now() + 4500 } });
    EXPECT_EQ(service.compactText(), QStringLiteral("0:05")); // 4.5 s left rounds up
    time.advance(499);
    EXPECT_EQ(service.compactText(), QStringLiteral("0:05"));
    time.advance(1);
    EXPECT_EQ(service.compactText(), QStringLiteral("0:04"));
    time.advance(3999);
    EXPECT_EQ(service.compactText(), QStringLiteral("0:01"));
    EXPECT_FALSE(service.rows()->rows().first().isDone);
    time.advance(1);
    EXPECT_EQ(service.compactText(), QStringLiteral("Done"));
    EXPECT_TRUE(service.rows()->rows().first().isDone);
    // Done stays still: nothing ticks but the timeout.
    EXPECT_EQ(time.pendingCount(), 1);
    time.advance(ActivityService::doneDuration.count() - 1);
    EXPECT_TRUE(service.activity(id));
    time.advance(1);
    EXPECT_FALSE(service.activity(id));
    EXPECT_EQ(host.ended.last(), std::pair(id, ActivityEndReason::timedOut));
    EXPECT_EQ(service.compactText(), QString());
    EXPECT_FALSE(service.hasActivities());
    EXPECT_EQ(compact.count(), 7); // 0:05, 0:04 … 0:01, Done, gone
    EXPECT_EQ(time.pendingCount(), 0);
}

TEST_F(ActivityServiceTest, ClockFormatsAndWhatTicks)
{
    EXPECT_EQ(LiveActivity::durationText(59 * 60 + 59), QStringLiteral("59:59"));
    EXPECT_EQ(LiveActivity::durationText(3600), QStringLiteral("1:00:00"));
    EXPECT_EQ(LiveActivity::durationText(-3), QStringLiteral("0:00"));
    // A progress alone never wakes the program; a counter does, once a second.
    started({ { QStringLiteral("progress"), 0.425 } });
    EXPECT_EQ(service.compactText(), QStringLiteral("43%"));
    EXPECT_EQ(time.pendingCount(), 0);
    started({ { QStringLiteral("startedAt"), now() - 61'500 } });
    EXPECT_EQ(service.compactText(), QStringLiteral("1:01"));
    time.advance(500);
    EXPECT_EQ(service.compactText(), QStringLiteral("1:02"));
    EXPECT_EQ(time.pendingCount(), 1);
    // Newest first, in the list as in the closed island.
    EXPECT_EQ(service.rows()->rows().at(1).valueText, QStringLiteral("43%"));
}

TEST_F(ActivityServiceTest, FastUpdatesAreShownAtMostThirtyTimesASecond)
{
    const quint32 id = started({ { QStringLiteral("progress"), 0.0 } });
    QSignalSpy changed(service.rows(), &QAbstractItemModel::dataChanged);
    for (int i = 1; i <= 100; ++i) {
        EXPECT_FALSE(host.update(app, id, { { QStringLiteral("progress"), i / 100.0 } }).refusal);
        time.advance(10);
    }
    EXPECT_LE(changed.count(), 30);
    EXPECT_GE(changed.count(), 25);
    time.advance(ActivityService::minShowInterval.count());
    EXPECT_DOUBLE_EQ(service.rows()->rows().first().progress, 1.0);
    EXPECT_EQ(service.activity(id)->progress, 1.0);
}

TEST_F(ActivityServiceTest, TheUsersSwitchAndButtons)
{
    const quint32 id = started({ { QStringLiteral("actions"), QStringList { "Stop", "Snooze" } } });
    service.invokeAction(id, 1);
    service.invokeAction(id, 2);
    service.invokeAction(id, -1);
    EXPECT_EQ(host.actions, (QList<std::pair<quint32, QString>> { { id, QStringLiteral("Snooze") } }));
    service.dismiss(id);
    EXPECT_EQ(host.ended.last(), std::pair(id, ActivityEndReason::byUser));

    const quint32 second = started();
    service.setAllowed(false);
    EXPECT_EQ(host.ended.last(), std::pair(second, ActivityEndReason::byUser));
    EXPECT_EQ(host.start(app, QStringLiteral("Tea")).refusal, ActivityRefusal::notAllowed);
    EXPECT_EQ(service.rows()->rowCount(), 0);
    service.setAllowed(true);
    EXPECT_GT(started(), second); // ids are never reused
}

} // namespace
