#include "CalendarMonthModel.h"
#include "CalendarService.h"
#include "CalendarTimeline.h"
#include "FakeCalendarStore.h"
#include "ManualScheduler.h"
#include "TempDir.h"
#include "UserDefaults.h"
#include "WallClockEvents.h"

#include <QAbstractItemModelTester>

#include <gtest/gtest.h>

namespace {

QDateTime timeAt(int hour, int minute, int day = 5)
{
    return QDateTime(QDate(2026, 1, day), QTime(hour, minute));
}

CalendarStoreEvent stored(const QDateTime& start, const QDateTime& end, bool isAllDay = false)
{
    CalendarStoreEvent e;
    e.identifier = QStringLiteral("e");
    e.start = start;
    e.end = end;
    e.isAllDay = isAllDay;
    return e;
}

/// What a list model told its views, as "change N" per changed row and the
/// name of any other notification.
struct ModelNotes {
    explicit ModelNotes(QAbstractItemModel& model)
    {
        using M = QAbstractItemModel;
        QObject::connect(&model, &M::dataChanged, &context,
            [this](const QModelIndex& at) { notes << QStringLiteral("change %1").arg(at.row()); });
        QObject::connect(&model, &M::rowsInserted, &context,
            [this](const QModelIndex&, int first, int last) { notes << QStringLiteral("insert %1-%2").arg(first).arg(last); });
        QObject::connect(&model, &M::rowsRemoved, &context, [this] { notes << QStringLiteral("remove"); });
        QObject::connect(&model, &M::modelReset, &context, [this] { notes << QStringLiteral("reset"); });
    }
    QStringList take() { return std::exchange(notes, {}); }
    QObject context;
    QStringList notes;
};

QList<CalendarEventSuffix> suffixes(const CalendarEventRowModel& model)
{
    QList<CalendarEventSuffix> out;
    for (const CalendarEventRowModel::Row& row : model.rows())
        out << row.text.suffix;
    return out;
}

} // namespace

TEST(CalendarEventRowModelTest, SuffixAndDimmingOnEachSideOfAnEventsMinutesAndOnlyChangedRowsTold)
{
    using enum CalendarEventSuffix;
    const CalendarEvent standup = CalendarEvent::make(stored(timeAt(10, 0), timeAt(11, 0)), {});
    const CalendarEvent lunch = CalendarEvent::make(stored(timeAt(11, 20), timeAt(12, 0)), {});
    const CalendarEvent holiday = CalendarEvent::make(stored(timeAt(0, 0), timeAt(0, 0, 6), true), {});
    const QList<CalendarEvent> day { holiday, standup, lunch };
    const QLocale english(QLocale::English, QLocale::UnitedStates);
    CalendarEventRowModel model;
    QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Fatal);
    ModelNotes notes(model);

    model.update(day, timeAt(9, 59).addSecs(30), english);
    EXPECT_EQ(suffixes(model), (QList { none, until, none })); // only the next upcoming one counts down
    EXPECT_EQ(model.rows()[1].text.until, QStringLiteral("1 min")); // 30 s rounds up
    EXPECT_EQ(model.rows()[1].text.base, QStringLiteral("10:00 AM – 11:00 AM"));
    EXPECT_EQ(model.rows()[0].text.base, QStringLiteral("All day"));
    notes.take();

    // The minute it starts it runs, and the next event counts down.
    model.update(day, timeAt(10, 0), english);
    EXPECT_EQ(suffixes(model), (QList { none, now, until }));
    EXPECT_EQ(model.rows()[2].text.until, QStringLiteral("1 hr, 20 min"));
    EXPECT_EQ(notes.take(), (QStringList { "change 1", "change 2" }));
    // A tick within it: only the countdown moves on.
    model.update(day, timeAt(10, 1), english);
    EXPECT_EQ(notes.take(), QStringList { "change 2" });
    model.update(day, timeAt(10, 59), english);
    EXPECT_EQ(suffixes(model), (QList { none, now, until }));
    EXPECT_FALSE(model.rows()[1].isDimmed);
    notes.take();

    // The minute it ends it is dimmed; the all-day one never is.
    model.update(day, timeAt(11, 0), english);
    EXPECT_EQ(suffixes(model), (QList { none, none, until }));
    EXPECT_TRUE(model.rows()[1].isDimmed);
    EXPECT_FALSE(model.rows()[0].isDimmed);
    EXPECT_EQ(model.rows()[2].text.until, QStringLiteral("20 min"));
    EXPECT_EQ(notes.take(), (QStringList { "change 1", "change 2" }));

    // Another day than today: time ranges alone.
    model.update(day, std::nullopt, QLocale::c());
    EXPECT_EQ(suffixes(model), (QList { none, none, none }));
    EXPECT_EQ(model.rows()[1].text.base, QStringLiteral("10:00 – 11:00"));
    EXPECT_EQ(CalendarEventRowText::timeUntil(timeAt(9, 0), timeAt(11, 0)), QStringLiteral("2 hr"));
}

TEST(CalendarMonthModelTest, WeeksStartOnTheLocalesFirstWeekday)
{
    const auto leading = [](const QList<std::optional<QDate>>& list) {
        qsizetype n = 0;
        while (n < list.size() && !list[n])
            ++n;
        return n;
    };
    // February 2026 has 28 days and starts on a Sunday.
    const QList<std::optional<QDate>> sundayFirst = CalendarMonthModel::weekSlots(QDate(2026, 2, 10), Qt::Sunday);
    EXPECT_EQ(leading(sundayFirst), 0);
    EXPECT_EQ(sundayFirst.size(), 4 * 7);
    EXPECT_EQ(sundayFirst.last(), QDate(2026, 2, 28));
    const QList<std::optional<QDate>> mondayFirst = CalendarMonthModel::weekSlots(QDate(2026, 2, 1), Qt::Monday);
    EXPECT_EQ(leading(mondayFirst), 6);
    EXPECT_EQ(mondayFirst.size(), 5 * 7);
    // August 2026 starts on a Saturday: 31 days need six Monday-first rows.
    EXPECT_EQ(CalendarMonthModel::weekSlots(QDate(2026, 8, 1), Qt::Monday).size(), 6 * 7);
}

TEST_F(TempDirTest, MonthModelFollowsTheTimelineAndTellsOnlyTheCellsAndRowsThatChanged)
{
    ManualScheduler clock(timeAt(10, 59).addSecs(30));
    Clock::setSystem(&clock);
    FakeCalendarStore store;
    store.events = { stored(timeAt(10, 0), timeAt(11, 0)), stored(timeAt(9, 0, 7), timeAt(10, 0, 7)) };
    UserDefaults defaults(path(QStringLiteral("settings.ini")));
    defaults.setString(CalendarService::accessKey(), QStringLiteral("granted"));
    CalendarService service(store, defaults, clock, clock);
    service.start();
    WallClockEvents wallClock;
    CalendarTimeline timeline(clock, clock, wallClock);
    CalendarMonthModel model;
    QObject::connect(&timeline, &CalendarTimeline::nowChanged, &model, [&] { model.setNow(timeline.now()); });
    model.setNow(timeline.now());
    model.setService(&service);
    store.answerAll();
    ModelNotes cells(*model.cells());
    ModelNotes rows(*model.selectedRows());
    const auto cell = [&](int day) { // January 2026 starts on a Thursday, the fourth slot from Monday
        return model.cells()->cells().value(day + 2);
    };
    EXPECT_TRUE(cell(5).isToday && cell(5).isSelected && cell(5).hasEvents);
    EXPECT_TRUE(cell(7).hasEvents && !cell(6).hasEvents);
    ASSERT_EQ(suffixes(*model.selectedRows()), QList { CalendarEventSuffix::now });

    // The event ends on the minute the timeline moves to.
    clock.advance(29'999);
    EXPECT_EQ(rows.take(), QStringList());
    clock.advance(1);
    EXPECT_EQ(rows.take(), QStringList { "change 0" });
    EXPECT_TRUE(model.selectedRows()->rows()[0].isDimmed);
    EXPECT_EQ(cells.take(), QStringList());

    // Another day: two cells change, and its row has no "now".
    model.selectDay(7);
    EXPECT_EQ(cells.take(), (QStringList { "change 7", "change 9" }));
    EXPECT_EQ(suffixes(*model.selectedRows()), QList { CalendarEventSuffix::none });
    model.selectDay(32); // not a day of January: logged, nothing changes
    EXPECT_EQ(model.selectedDay(), timeAt(0, 0, 7));

    // Other months: each is loaded, the grid keeps its cells and grows or
    // shrinks by whole weeks at its end.
    model.showMonth(1);
    EXPECT_EQ(model.selectedDay(), QDate(2026, 2, 1).startOfDay()); // not the current month: its first day
    EXPECT_EQ(service.loadedMonth()->start, QDate(2026, 2, 1).startOfDay());
    EXPECT_FALSE(cells.take().contains(QStringLiteral("reset")));
    model.showMonth(1);
    EXPECT_EQ(model.cells()->rowCount(), 6 * 7);
    EXPECT_TRUE(cells.take().contains(QStringLiteral("insert 35-41")));
    model.showMonth(-2);
    EXPECT_EQ(model.selectedDay(), QDate(2026, 1, 5).startOfDay()); // back in the current month: today
    EXPECT_EQ(model.cells()->rowCount(), 5 * 7);
    model.showMonth(-1);
    model.showToday();
    EXPECT_EQ(model.displayedMonth(), QDate(2026, 1, 1).startOfDay());
    EXPECT_EQ(model.selectedDay(), QDate(2026, 1, 5).startOfDay());
    Clock::setSystem(nullptr);
}
