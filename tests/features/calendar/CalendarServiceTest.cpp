#include "CalendarService.h"
#include "CalendarMonthModel.h"
#include "CalendarTimeline.h"
#include "CombinedCalendarStore.h"
#include "FakeCalendarStore.h"
#include "LazyCalendarStore.h"
#include "LogCapture.h"
#include "ManualScheduler.h"
#include "ModelMirror.h"
#include "TempDir.h"
#include "UserDefaults.h"

#include <QAbstractItemModelTester>
#include <QSettings>
#include <QSignalSpy>

#include <gtest/gtest.h>

// The process runs in Europe/Berlin (see CMakeLists.txt), so local days and
// the daylight-saving change of 29 March 2026 are fixed.
namespace {

QDateTime at(int day, int hour, int minute = 0, int month = 1)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute));
}

CalendarStoreEvent timed(const QString& uid, const QDateTime& start, const QDateTime& end, const QString& title = {})
{
    CalendarStoreEvent e;
    e.identifier = uid;
    e.title = title.isEmpty() ? uid : title;
    e.start = start;
    e.end = end;
    return e;
}

CalendarStoreEvent allDay(const QString& uid, const QDate& first, int days = 1)
{
    CalendarStoreEvent e = timed(uid, first.startOfDay(), first.addDays(days).startOfDay());
    e.isAllDay = true;
    return e;
}

QStringList titles(const QList<CalendarEvent>& events)
{
    QStringList out;
    for (const CalendarEvent& e : events)
        out << e.title;
    return out;
}

// Each row's suffix as "now", "in …" or "-", and whether it is dimmed.
QStringList shown(const CalendarEventRowModel& model)
{
    QStringList out;
    for (const CalendarEventRowModel::Row& row : model.rows()) {
        out << (row.text.suffix == CalendarEventSuffix::now            ? QStringLiteral("now")
                       : row.text.suffix == CalendarEventSuffix::until ? QStringLiteral("in ") + row.text.until
                                                                       : QStringLiteral("-"))
                + (row.isDimmed ? QStringLiteral(" dimmed") : QString());
    }
    return out;
}

class CalendarServiceTest : public TempDirTest {
protected:
    CalendarServiceTest() { defaults.setString(CalendarService::accessKey(), QStringLiteral("granted")); }

    // Today at 14:00 unless a test moves the clock.
    ManualScheduler scheduler { at(5, 14) };
    FakeCalendarStore store;
    UserDefaults defaults { path(QStringLiteral("settings.ini")) };
    WallClockEvents wallClock;
    CalendarService service { store, defaults, scheduler, scheduler, wallClock };
};

} // namespace

TEST_F(CalendarServiceTest, TodayListsUpcomingThenAllDayThenEndedAndKeepsThree)
{
    store.events = {
        timed(QStringLiteral("A"), at(5, 9), at(5, 10)),
        timed(QStringLiteral("B"), at(5, 15), at(5, 16)),
        allDay(QStringLiteral("C"), QDate(2026, 1, 5)),
        timed(QStringLiteral("D"), at(5, 13, 30), at(5, 14, 30)),
        timed(QStringLiteral("E"), at(5, 18), at(5, 19)),
        timed(QStringLiteral("F"), at(5, 10), at(5, 11)),
        timed(QStringLiteral("tomorrow"), at(6, 9), at(6, 10)),
    };
    service.start();
    ASSERT_EQ(store.pending.size(), 1);
    EXPECT_EQ(std::pair(store.pending[0].start, store.pending[0].end), std::pair(at(5, 0), at(6, 0)));
    store.answerAll();
    EXPECT_EQ(titles(service.todayEvents()), QStringList({ "D", "B", "E" }));

    // Ended events last, the most recently ended first.
    QList<CalendarEvent> all;
    for (const CalendarStoreEvent& e : store.events.mid(0, 6))
        all << CalendarEvent::make(e, at(5, 14));
    CalendarService::sortToday(all, at(5, 14));
    EXPECT_EQ(titles(all), QStringList({ "D", "B", "E", "C", "F", "A" }));
}

TEST_F(CalendarServiceTest, EventsAreBuiltWithSubstitutesAndCancelledOrDeclinedOnesDropped)
{
    CalendarStoreEvent blank = timed(QStringLiteral("uid-1"), at(5, 15), at(5, 14), QStringLiteral("  \n\t "));
    blank.color = QColor(Qt::red);
    CalendarStoreEvent untitled = timed(QStringLiteral("uid-2"), at(5, 16), at(5, 17));
    untitled.title.reset();
    untitled.end.reset();
    CalendarStoreEvent cancelled = timed(QStringLiteral("cancelled"), at(5, 15), at(5, 16));
    cancelled.isCancelled = true;
    CalendarStoreEvent declined = timed(QStringLiteral("declined"), at(5, 15), at(5, 16));
    declined.attendees = { { false, false }, { true, true } };
    CalendarStoreEvent othersDeclined = timed(QStringLiteral("others declined"), at(5, 17), at(5, 18));
    othersDeclined.attendees = { { false, true }, { true, false } };
    store.events = { blank, untitled, cancelled, declined, othersDeclined };
    service.start();
    store.answerAll();

    // An end before the start is raised to it; a missing one is the start.
    const QString noTitle = QStringLiteral("Untitled event");
    const auto id
        = [](const char* uid, int hour) { return QLatin1String(uid) + QString::number(at(5, hour).toSecsSinceEpoch()); };
    EXPECT_EQ(service.todayEvents(),
        (QList<CalendarEvent> { { id("uid-1-", 15), noTitle, at(5, 15), at(5, 15), false, QColor(Qt::red) },
            { id("uid-2-", 16), noTitle, at(5, 16), at(5, 16), false, CalendarEvent::systemBlue() },
            { id("others declined-", 17), QStringLiteral("others declined"), at(5, 17), at(5, 18), false,
                CalendarEvent::systemBlue() } }));

    // Without a start the event starts now.
    CalendarStoreEvent noStart;
    noStart.identifier = QStringLiteral("x");
    EXPECT_EQ(CalendarEvent::make(noStart, at(5, 14)).startDate, at(5, 14));
}

TEST_F(CalendarServiceTest, TodayReloadsOneSecondAfterTheNextEndAndAfterMidnight)
{
    scheduler.jumpWallClock(2 * 3600 * 1000); // 16:00
    store.events = { timed(QStringLiteral("last"), at(5, 15), at(5, 17)) };
    service.start();
    store.answerAll();
    EXPECT_TRUE(service.hasRefreshTask());

    scheduler.advance(3600 * 1000 + 999);
    EXPECT_TRUE(store.pending.isEmpty());
    scheduler.advance(1); // 17:00:01
    ASSERT_EQ(store.pending.size(), 1);
    store.answerAll();
    EXPECT_EQ(titles(service.todayEvents()), QStringList({ "last" })); // now ended, still listed

    // Nothing ends later today: the next reload is at 00:00:01, for the new day.
    scheduler.advance(7 * 3600 * 1000 - 1);
    EXPECT_TRUE(store.pending.isEmpty());
    scheduler.advance(1);
    ASSERT_FALSE(store.pending.isEmpty());
    EXPECT_EQ(store.pending.last().start, at(6, 0));
    store.answerAll();
    EXPECT_TRUE(service.todayEvents().isEmpty());
}

TEST_F(CalendarServiceTest, MonthListsAnEventOnEachLocalDayItTouchesAcrossTheClockChange)
{
    const CalendarService::MonthInterval march = CalendarService::monthInterval(at(15, 12, 0, 3));
    EXPECT_EQ(std::pair(march.start, march.end), std::pair(at(1, 0, 0, 3), at(1, 0, 0, 4)));
    QList<CalendarEvent> events;
    for (const CalendarStoreEvent& e : { timed(QStringLiteral("overnight"), at(3, 22, 0, 3), at(5, 2, 0, 3)),
             timed(QStringLiteral("to midnight"), at(10, 9, 0, 3), at(11, 0, 0, 3)),
             timed(QStringLiteral("into April"), at(31, 23, 0, 3), at(1, 1, 0, 4)),
             timed(QStringLiteral("from February"), at(28, 20, 0, 2), at(1, 8, 0, 3)),
             allDay(QStringLiteral("clock change"), QDate(2026, 3, 29)), // 23 hours in Berlin
             timed(QStringLiteral("after"), at(30, 9, 0, 3), at(30, 10, 0, 3)),
             timed(QStringLiteral("early"), at(29, 1, 0, 3), at(29, 4, 0, 3)) })
        events << CalendarEvent::make(e, {});
    const CalendarService::MonthEvents byDay = CalendarService::groupByDay(events, march);

    QMap<int, QStringList> listed;
    for (auto it = byDay.begin(); it != byDay.end(); ++it) {
        const QDateTime local = it.key().toLocalTime();
        EXPECT_EQ(local.time(), QTime(0, 0)) << qPrintable(local.toString());
        listed[local.date().day()] = titles(it.value());
    }
    // All-day first on 29 March.
    const QMap<int, QStringList> expected { { 1, { "from February" } }, { 3, { "overnight" } }, { 4, { "overnight" } },
        { 5, { "overnight" } }, { 10, { "to midnight" } }, { 29, { "clock change", "early" } }, { 30, { "after" } },
        { 31, { "into April" } } };
    EXPECT_EQ(listed, expected);
}

TEST_F(CalendarServiceTest, MonthLoadsOnceAMonthAndOnlyTheNewestAnswerCounts)
{
    service.start();
    store.answerAll();
    QSignalSpy published(&service, &CalendarService::monthEventsChanged);
    store.events
        = { timed(QStringLiteral("jan"), at(20, 9), at(20, 10)), timed(QStringLiteral("feb"), at(2, 9, 0, 2), at(2, 10, 0, 2)) };

    service.loadMonth(at(10, 12));
    service.loadMonth(at(31, 23));
    ASSERT_EQ(store.pending.size(), 1);
    service.loadMonth(at(3, 12, 0, 2)); // moved on before January arrived
    ASSERT_EQ(store.pending.size(), 2);
    store.answer(1);
    store.answer(0); // January, late: stale
    ASSERT_EQ(service.monthEvents().size(), 1);
    EXPECT_EQ(titles(service.monthEvents().first()), QStringList({ "feb" }));
    EXPECT_EQ(published.count(), 1);

    // A change in the store, a wake and the new day reload both lists; stopping forgets the month.
    Q_EMIT store.changed();
    EXPECT_EQ(store.pending.size(), 2);
    store.answerAll();
    EXPECT_EQ(published.count(), 1); // unchanged, not published again
    Q_EMIT wallClock.wallClockChanged();
    EXPECT_EQ(store.pending.size(), 2);
    store.answerAll();
    scheduler.advance(10 * 3600 * 1000 + 1000); // 00:00:01; today's own refresh may reload it too
    EXPECT_GE(store.pending.size(), 2);
    EXPECT_TRUE(
        std::any_of(store.pending.begin(), store.pending.end(), [&](const auto& r) { return r.start == at(1, 0, 0, 2); }));
    service.stop();
    EXPECT_TRUE(service.monthEvents().isEmpty());
    EXPECT_FALSE(service.loadedMonth());
    EXPECT_FALSE(service.hasRefreshTask());
    EXPECT_FALSE(store.isWatching);
}

TEST_F(CalendarServiceTest, NothingIsReadUntilTheUserAllowsItAndTheAnswerIsKept)
{
    defaults.remove(CalendarService::accessKey());
    CalendarService fresh(store, defaults, scheduler, scheduler, wallClock);
    EXPECT_EQ(fresh.access(), CalendarAccess::notDetermined);
    store.events = { timed(QStringLiteral("B"), at(5, 15), at(5, 16)) };
    fresh.start();
    fresh.loadMonth(at(5, 14));
    EXPECT_TRUE(store.pending.isEmpty());
    EXPECT_TRUE(fresh.todayEvents().isEmpty());
    EXPECT_FALSE(store.isWatching);

    LogCapture log;
    fresh.requestAccess();
    EXPECT_EQ(fresh.access(), CalendarAccess::granted);
    EXPECT_TRUE(store.isWatching);
    EXPECT_TRUE(log.contains(QStringLiteral("Calendar full access granted: true")));
    defaults.sync();
    EXPECT_EQ(QSettings(defaults.path(), QSettings::IniFormat).value("Calendars/access").toString(), "granted");
    store.answerAll();
    EXPECT_EQ(titles(fresh.todayEvents()), QStringList({ "B" }));
    EXPECT_EQ(fresh.monthEvents().size(), 1);

    // Withdrawn in the file: the next look empties both lists.
    QSettings(defaults.path(), QSettings::IniFormat).setValue("Calendars/access", "denied");
    fresh.refreshAccess();
    EXPECT_EQ(fresh.access(), CalendarAccess::denied);
    EXPECT_FALSE(store.isWatching);
    EXPECT_TRUE(fresh.todayEvents().isEmpty());
    EXPECT_TRUE(fresh.monthEvents().isEmpty());
}

// As the program wires it: the desktop's calendars (Evolution Data Server's
// module) made on first use, beside the files.
TEST_F(CalendarServiceTest, TheDesktopsStoreIsMadeOnceAccessIsGrantedAndOnlyTriedOnce)
{
    defaults.remove(CalendarService::accessKey());
    int made = 0;
    FakeCalendarStore* desktop = nullptr;
    LazyCalendarStore lazy([&](QObject* parent) {
        ++made;
        desktop = new FakeCalendarStore;
        desktop->setParent(parent);
        return desktop;
    });
    CombinedCalendarStore combined({ &lazy, &store });
    CalendarService app(combined, defaults, scheduler, scheduler, wallClock);
    app.start();
    EXPECT_EQ(made, 0);

    app.requestAccess();
    ASSERT_EQ(made, 1);
    EXPECT_TRUE(desktop->isWatching);
    desktop->events = { timed(QStringLiteral("desktop"), at(5, 15), at(5, 16)) };
    store.events = { timed(QStringLiteral("file"), at(5, 17), at(5, 18)) };
    desktop->answerAll();
    store.answerAll();
    EXPECT_EQ(titles(app.todayEvents()), QStringList({ "desktop", "file" }));

    Q_EMIT desktop->changed();
    EXPECT_EQ(desktop->pending.size(), 1);
    app.stop();
    EXPECT_FALSE(desktop->isWatching);
    app.start();
    EXPECT_EQ(made, 1);
    app.stop();

    // One that cannot be made (its module missing) is not tried again; the files still show.
    int tried = 0;
    LazyCalendarStore missing([&](QObject*) -> CalendarStore* {
        ++tried;
        return nullptr;
    });
    CombinedCalendarStore filesOnly({ &missing, &store });
    CalendarService withoutDesktop(filesOnly, defaults, scheduler, scheduler, wallClock);
    withoutDesktop.start();
    store.answerAll();
    QCoreApplication::sendPostedEvents();
    EXPECT_EQ(titles(withoutDesktop.todayEvents()), QStringList({ "file" }));
    withoutDesktop.stop();
    withoutDesktop.start();
    EXPECT_EQ(tried, 1);
}

TEST(CalendarEventRowModelTest, SuffixAndDimmingOnEachSideOfAnEventsMinutesAndOnlyChangedRowsTold)
{
    QList<CalendarEvent> day;
    for (const CalendarStoreEvent& e : { allDay(QStringLiteral("a"), QDate(2026, 1, 5)),
             timed(QStringLiteral("b"), at(5, 10), at(5, 11)), timed(QStringLiteral("c"), at(5, 11, 20), at(5, 12)) })
        day << CalendarEvent::make(e, {});
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    CalendarEventRowModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ModelMirror<int> notes(model, [](int) { return 0; });

    // Only the next upcoming event counts down; 30 s round up to a minute.
    model.update(day, at(5, 9, 59).addSecs(30), english);
    EXPECT_EQ(shown(model), (QStringList { "-", "in 1 min", "-" }));
    EXPECT_EQ(model.rows()[1].text.base, QStringLiteral("10:00 AM – 11:00 AM"));
    notes.take();
    // The minute it starts it runs, and the next one counts down.
    model.update(day, at(5, 10), english);
    EXPECT_EQ(shown(model), (QStringList { "-", "now", "in 1 hr, 20 min" }));
    EXPECT_EQ(notes.take(), (QStringList { "change 1", "change 2" }));
    // A tick within it tells only the countdown's row.
    model.update(day, at(5, 10, 1), english);
    EXPECT_EQ(notes.take(), QStringList { "change 2" });
    model.update(day, at(5, 10, 59), english);
    EXPECT_EQ(shown(model), (QStringList { "-", "now", "in 21 min" }));
    // The minute it ends it is dimmed; the all-day one never is.
    model.update(day, at(5, 11), english);
    EXPECT_EQ(shown(model), (QStringList { "-", "- dimmed", "in 20 min" }));
    // Another day than today: the time ranges alone.
    model.update(day, std::nullopt, QLocale::c());
    EXPECT_EQ(shown(model), (QStringList { "-", "-", "-" }));
    EXPECT_EQ(model.rows()[1].text.base, QStringLiteral("10:00 – 11:00"));
    EXPECT_EQ(CalendarEventRowText::timeUntil(at(5, 9), at(5, 11)), QStringLiteral("2 hr"));
    // A part of a minute counts as a whole one: 61 s is 2 min.
    EXPECT_EQ(CalendarEventRowText::timeUntil(at(5, 9), at(5, 9).addSecs(60)), QStringLiteral("1 min"));
    EXPECT_EQ(CalendarEventRowText::timeUntil(at(5, 9), at(5, 9).addSecs(61)), QStringLiteral("2 min"));
}

TEST_F(CalendarServiceTest, MonthModelFollowsTheTimelineAndTellsOnlyTheCellsAndRowsThatChanged)
{
    // February 2026 starts on a Sunday: no leading slot and four weeks when Sunday comes first.
    const QList<std::optional<QDate>> february = CalendarMonthModel::weekSlots(QDate(2026, 2, 10), Qt::Sunday);
    EXPECT_TRUE(february.first() && february.size() == 4 * 7);

    scheduler.jumpWallClock(-30'000); // 13:59:30
    Clock::setSystem(&scheduler);
    store.events = { timed(QStringLiteral("a"), at(5, 13), at(5, 14)), timed(QStringLiteral("b"), at(7, 9), at(7, 10)) };
    service.start();
    CalendarTimeline timeline(scheduler, scheduler, wallClock);
    CalendarMonthModel model; // as the view binds it
    QObject::connect(&timeline, &CalendarTimeline::nowChanged, &model, [&] { model.setNow(timeline.now()); });
    model.setNow(timeline.now());
    model.setService(&service);
    store.answerAll();
    QAbstractItemModelTester tester(model.cells(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ModelMirror<int> cells(*model.cells(), [](int) { return 0; });
    ModelMirror<int> rows(*model.selectedRows(), [](int) { return 0; });
    // Under LC_ALL=C weeks start on Monday: January 2026 has three leading slots.
    const auto cell = [&](int day) { return model.cells()->cells().value(day + 2); };
    EXPECT_TRUE(cell(5).isToday && cell(5).isSelected && cell(5).hasEvents);
    EXPECT_TRUE(cell(7).hasEvents && !cell(6).hasEvents && cell(1).day == 1);

    // The event ends on the minute the timeline moves to.
    scheduler.advance(29'999);
    EXPECT_EQ(shown(*model.selectedRows()), QStringList { "now" });
    scheduler.advance(1);
    EXPECT_EQ(shown(*model.selectedRows()), QStringList { "- dimmed" });
    EXPECT_EQ(rows.take(), QStringList { "change 0" });
    EXPECT_EQ(cells.take(), QStringList());

    // Another day: two cells change, and its row has no "now".
    model.selectDay(7);
    EXPECT_EQ(cells.take(), (QStringList { "change 7", "change 9" }));
    EXPECT_EQ(shown(*model.selectedRows()), QStringList { "-" });
    model.selectDay(32); // no such day: logged, nothing changes
    EXPECT_EQ(model.selectedDay(), at(7, 0));

    // Each month is loaded; the grid keeps its cells and adds or drops whole weeks at its end.
    model.showMonth(1);
    EXPECT_EQ(model.selectedDay(), at(1, 0, 0, 2)); // not the current month: its first day
    EXPECT_EQ(service.loadedMonth()->start, at(1, 0, 0, 2));
    model.showMonth(1);
    EXPECT_EQ(model.cells()->rowCount(), 6 * 7);
    model.showMonth(-2);
    EXPECT_EQ(model.selectedDay(), at(5, 0)); // back in the current month: today
    EXPECT_EQ(model.cells()->rowCount(), 5 * 7);
    EXPECT_FALSE(cells.take().contains(QStringLiteral("reset")));
    model.showMonth(-1);
    model.showToday();
    EXPECT_EQ(model.displayedMonth(), at(1, 0));
    Clock::setSystem(nullptr);
}
