#include "CalendarEventRowText.h"
#include "CalendarMonthModel.h"
#include "CalendarService.h"
#include "FakeCalendarStore.h"
#include "ManualScheduler.h"
#include "TempDir.h"
#include "UserDefaults.h"

#include <gtest/gtest.h>

namespace {

QDateTime timeAt(int hour, int minute, int second = 0)
{
    return QDateTime(QDate(2026, 1, 5), QTime(hour, minute, second));
}

CalendarEvent event(const QDateTime& start, const QDateTime& end, bool isAllDay = false)
{
    CalendarStoreEvent stored;
    stored.identifier = QStringLiteral("e");
    stored.start = start;
    stored.end = end;
    stored.isAllDay = isAllDay;
    return CalendarEvent::make(stored, start);
}

const QLocale english(QLocale::English, QLocale::UnitedStates);

int rows(const QList<std::optional<QDate>>& week)
{
    return int(week.size()) / 7;
}

int leading(const QList<std::optional<QDate>>& week)
{
    int n = 0;
    while (n < week.size() && !week[n])
        ++n;
    return n;
}

} // namespace

TEST(CalendarEventRowTextTest, SaysNowForTheRunningEventAndTheTimeUntilTheNextOne)
{
    const QDateTime now = timeAt(10, 30);
    const CalendarEvent running = event(timeAt(10, 0), timeAt(11, 0));
    const CalendarEvent next = event(timeAt(11, 20), timeAt(12, 0));
    const CalendarEvent later = event(timeAt(15, 0), timeAt(16, 0));
    const CalendarEvent ended = event(timeAt(9, 0), timeAt(10, 0));
    const CalendarEvent holiday = event(QDate(2026, 1, 5).startOfDay(), QDate(2026, 1, 6).startOfDay(), true);

    const CalendarEventRowText runningText = CalendarEventRowText::make(running, now, false, english);
    EXPECT_EQ(runningText.base, QStringLiteral("10:00 AM – 11:00 AM"));
    EXPECT_EQ(runningText.suffix, CalendarEventRowText::Suffix::now);
    EXPECT_EQ(CalendarEventRowText::make(running, now, false, QLocale::c()).base, QStringLiteral("10:00 – 11:00"));

    const CalendarEventRowText nextText = CalendarEventRowText::make(next, now, true, english);
    EXPECT_EQ(nextText.suffix, CalendarEventRowText::Suffix::until);
    EXPECT_EQ(nextText.until, QStringLiteral("50 min"));
    EXPECT_EQ(CalendarEventRowText::make(later, now, false, english).suffix, CalendarEventRowText::Suffix::none);
    // Without now (another day in the month view) only the base.
    EXPECT_EQ(CalendarEventRowText::make(running, std::nullopt, false, english).suffix, CalendarEventRowText::Suffix::none);

    EXPECT_EQ(CalendarEventRowText::timeUntil(now, now.addSecs(30)), QStringLiteral("1 min"));
    EXPECT_EQ(CalendarEventRowText::timeUntil(now, now.addSecs(3600 + 4 * 60 + 1)), QStringLiteral("1 hr, 5 min"));
    EXPECT_EQ(CalendarEventRowText::timeUntil(now, now.addSecs(2 * 3600)), QStringLiteral("2 hr"));

    // Ended timed events are dimmed; all-day ones never are.
    EXPECT_TRUE(CalendarEventRowText::row(ended, now, false, english).value("dimmed").toBool());
    EXPECT_FALSE(CalendarEventRowText::row(holiday, timeAt(23, 59), false, english).value("dimmed").toBool());
    EXPECT_FALSE(CalendarEventRowText::row(running, now, false, english).value("dimmed").toBool());

    // The next upcoming event is the first timed one in list order that starts after now.
    EXPECT_EQ(CalendarEvent::nextUpcomingID({ holiday, running, next, later }, now), next.id);
    EXPECT_TRUE(CalendarEvent::nextUpcomingID({ holiday, running, ended }, now).isEmpty());
}

TEST(CalendarMonthModelTest, WeeksStartOnTheLocalesFirstWeekday)
{
    // February 2026 has 28 days and starts on a Sunday.
    const QList<std::optional<QDate>> sundayFirst = CalendarMonthModel::weekSlots(QDate(2026, 2, 10), Qt::Sunday);
    EXPECT_EQ(leading(sundayFirst), 0);
    EXPECT_EQ(rows(sundayFirst), 4);
    EXPECT_EQ(sundayFirst.last(), QDate(2026, 2, 28));

    const QList<std::optional<QDate>> mondayFirst = CalendarMonthModel::weekSlots(QDate(2026, 2, 1), Qt::Monday);
    EXPECT_EQ(leading(mondayFirst), 6);
    EXPECT_EQ(rows(mondayFirst), 5);
    // August 2026 starts on a Saturday: 31 days need six Monday-first rows.
    EXPECT_EQ(rows(CalendarMonthModel::weekSlots(QDate(2026, 8, 1), Qt::Monday)), 6);
}

TEST_F(TempDirTest, MonthModelMovesBetweenMonthsAndLoadsEach)
{
    ManualScheduler clock(timeAt(10, 30));
    Clock::setSystem(&clock);
    FakeCalendarStore store;
    UserDefaults defaults(path(QStringLiteral("settings.ini")));
    defaults.setString(CalendarService::accessKey(), QStringLiteral("granted"));
    CalendarService service(store, defaults, clock, clock);
    service.start();

    CalendarMonthModel model;
    model.setService(&service);
    EXPECT_EQ(model.displayedMonth(), QDate(2026, 1, 1).startOfDay());
    EXPECT_EQ(model.selectedDay(), QDate(2026, 1, 5).startOfDay());
    EXPECT_EQ(service.loadedMonth()->start, QDate(2026, 1, 1).startOfDay());

    model.showMonth(1);
    EXPECT_EQ(model.selectedDay(), QDate(2026, 2, 1).startOfDay()); // not the current month: its first day
    EXPECT_EQ(service.loadedMonth()->start, QDate(2026, 2, 1).startOfDay());
    model.showMonth(1);
    model.showMonth(-2);
    EXPECT_EQ(model.selectedDay(), QDate(2026, 1, 5).startOfDay()); // back in the current month: today
    model.showMonth(-1);
    model.showToday();
    EXPECT_EQ(model.displayedMonth(), QDate(2026, 1, 1).startOfDay());
    EXPECT_EQ(model.selectedDay(), QDate(2026, 1, 5).startOfDay());
    Clock::setSystem(nullptr);
}
