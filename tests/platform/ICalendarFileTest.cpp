#include "ICalendarFile.h"
#include "CalendarEvent.h"
#include "ICalendarFileStore.h"
#include "LogCapture.h"
#include "ManualScheduler.h"
#include "TempDir.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The process runs in Europe/Berlin (see CMakeLists.txt).
namespace {

QDateTime local(int month, int day, int hour = 0, int minute = 0)
{
    return QDateTime(QDate(2026, month, day), QTime(hour, minute));
}

QByteArray calendar(const QByteArray& body, const QByteArray& header = {})
{
    QByteArray text = "BEGIN:VCALENDAR\r\nVERSION:2.0\r\nPRODID:-//test//EN\r\n" + header + body + "END:VCALENDAR\r\n";
    return text.replace("\n", "\r\n").replace("\r\r\n", "\r\n");
}

QByteArray vevent(const QByteArray& lines)
{
    return "BEGIN:VEVENT\n" + lines + "END:VEVENT\n";
}

QList<CalendarEvent> shown(const QList<CalendarStoreEvent>& stored)
{
    QList<CalendarEvent> events;
    for (const CalendarStoreEvent& s : stored)
        if (CalendarEvent::isShown(s))
            events << CalendarEvent::make(s, QDateTime());
    std::sort(events.begin(), events.end(), [](const auto& a, const auto& b) { return a.startDate < b.startDate; });
    return events;
}

QStringList titles(const QList<CalendarEvent>& events)
{
    QStringList out;
    for (const CalendarEvent& e : events)
        out << e.title;
    return out;
}

} // namespace

TEST(ICalendarFileTest, EventsGetTitlesTimesAndIdsAndCancelledDeclinedOrBadOnesAreDroppedWithALogLine)
{
    const QByteArray body = vevent("UID:titled\nDTSTART:20260105T090000Z\nDTEND:20260105T100000Z\nSUMMARY:  Standup \\n \n")
        + vevent("UID:blank\nDTSTART:20260105T110000Z\nSUMMARY:   \n")
        + vevent("UID:backwards\nDTSTART:20260105T150000Z\nDTEND:20260105T140000Z\n")
        + vevent("UID:trip\nDTSTART;VALUE=DATE:20260105\nDTEND;VALUE=DATE:20260107\nSUMMARY:Trip\n")
        + vevent("UID:floating\nDTSTART:20260105T180000\nDURATION:PT30M\nSUMMARY:Dinner\n");
    const ICalendarFile file = ICalendarFile::parse(calendar(body, "X-APPLE-CALENDAR-COLOR:#FF000080\n"), "test.ics");
    ASSERT_TRUE(file.isValid());
    const QColor red = file.color();
    EXPECT_EQ(red, QColor(255, 0, 0, 128));

    const QList<CalendarEvent> events = shown(file.occurrences(local(1, 5), local(1, 6), {}, red));
    ASSERT_EQ(titles(events), QStringList({ "Trip", "Standup", "Untitled event", "Untitled event", "Dinner" }));
    const CalendarEvent& trip = events[0];
    EXPECT_TRUE(trip.isAllDay);
    EXPECT_EQ(trip.startDate, local(1, 5)); // dates are local days
    EXPECT_EQ(trip.endDate, local(1, 7));
    const CalendarEvent& standup = events[1];
    EXPECT_EQ(standup.id, "titled-" + QString::number(QDateTime(QDate(2026, 1, 5), QTime(9, 0), Qt::UTC).toSecsSinceEpoch()));
    EXPECT_EQ(standup.endDate, standup.startDate.addSecs(3600));
    EXPECT_EQ(standup.color, red);
    EXPECT_EQ(events[2].endDate, events[2].startDate); // no end
    EXPECT_EQ(events[3].endDate, events[3].startDate); // end before start
    EXPECT_EQ(events[4].startDate, local(1, 5, 18)); // floating: the wall time here
    EXPECT_EQ(events[4].endDate, local(1, 5, 18, 30));

    // Cancelled events and the ones the user (me@example.com, in any case) declined are dropped.
    const QByteArray invited = vevent("UID:a\nSUMMARY:Cancelled\nSTATUS:CANCELLED\nDTSTART:20260105T090000Z\n")
        + vevent("UID:b\nSUMMARY:Declined\nDTSTART:20260105T100000Z\nATTENDEE;PARTSTAT=ACCEPTED:mailto:boss@example.com\n"
                 "ATTENDEE;PARTSTAT=DECLINED:MAILTO:Me@Example.com\n")
        + vevent("UID:c\nSUMMARY:Others declined\nDTSTART:20260105T110000Z\nATTENDEE;PARTSTAT=DECLINED:mailto:boss@example.com\n"
                 "ATTENDEE;PARTSTAT=ACCEPTED:mailto:me@example.com\n")
        + vevent("UID:d\nSUMMARY:Not mine\nDTSTART:20260105T120000Z\nATTENDEE;PARTSTAT=DECLINED:mailto:someone@example.com\n");
    const ICalendarFile invites = ICalendarFile::parse(calendar(invited), "invites.ics");
    EXPECT_EQ(titles(shown(invites.occurrences(local(1, 5), local(1, 6), { "me@example.com" }, {}))),
        QStringList({ "Others declined", "Not mine" }));

    // Bad input is logged with the file and skipped.
    LogCapture log;
    EXPECT_FALSE(ICalendarFile::parse("BEGIN:VCALENDAR\r\nBEGIN:VEVENT\r\nUID:x\r\nDTSTART:2026", "cut.ics").isValid());
    EXPECT_FALSE(ICalendarFile::parse(QByteArray("\x01\x02garbage END:VCALENDAR"), "junk.ics").isValid());
    const QByteArray bad = vevent("UID:nostart\nSUMMARY:No start\n")
        + vevent("UID:mars\nDTSTART;TZID=Mars/Olympus:20260105T090000\n")
        + vevent("UID:good\nSUMMARY:Good\nDTSTART:20260105T090000Z\n")
        + vevent("UID:minutely\nSUMMARY:Every minute\nDTSTART:20260105T000000Z\nRRULE:FREQ=MINUTELY\n")
        + vevent("UID:thousand\nSUMMARY:A thousand\nDTSTART:20260105T000000Z\nRRULE:FREQ=MINUTELY;COUNT=1000\n")
        + vevent("UID:past\nSUMMARY:One past\nDTSTART:20260105T000000Z\nRRULE:FREQ=MINUTELY;COUNT=1001\n");
    const ICalendarFile mixed = ICalendarFile::parse(calendar(bad), "mixed.ics");
    const QList<CalendarStoreEvent> stored = mixed.occurrences(local(1, 5), local(1, 6), {}, {});
    EXPECT_EQ(stored.first().title, "Good");
    EXPECT_EQ(stored.size(), 1 + 1000 + 1000 + 1000); // the rules past the bound are cut at it, the one at it is whole
    EXPECT_FALSE(log.mentions("Event thousand"));

    const QStringList expected {
        "Skipped cut.ics: not a complete iCalendar file (no END:VCALENDAR at its end)",
        "Skipped junk.ics: not an iCalendar file",
        "Skipped event nostart in mixed.ics: it has no valid DTSTART",
        "Skipped event mars in mixed.ics: unknown time zone \"Mars/Olympus\"",
        "Event minutely in mixed.ics repeats more than 1000 times in the range; the rest are left out",
        "Event past in mixed.ics repeats more than 1000 times in the range; the rest are left out",
    };
    for (const QString& line : expected)
        EXPECT_TRUE(log.contains(line)) << qPrintable(line) << "\n" << qPrintable(log.messages().join('\n'));
}

TEST(ICalendarFileTest, RecurrencesKeepExceptionsMovedOccurrencesAndTheirZone)
{
    // Weekly on Mondays at 09:00 but not on the 12th; the 19th moved to the 20th, the 26th cancelled.
    const QByteArray weekly = vevent("UID:weekly\nSUMMARY:Weekly\nDTSTART;TZID=Europe/Berlin:20260105T090000\n"
                                     "DTEND;TZID=Europe/Berlin:20260105T100000\nRRULE:FREQ=WEEKLY;BYDAY=MO\n"
                                     "EXDATE;TZID=Europe/Berlin:20260112T090000\n")
        + vevent("UID:weekly\nSUMMARY:Moved\nRECURRENCE-ID;TZID=Europe/Berlin:20260119T090000\n"
                 "DTSTART;TZID=Europe/Berlin:20260120T140000\nDTEND;TZID=Europe/Berlin:20260120T150000\n")
        + vevent("UID:weekly\nSUMMARY:Weekly\nSTATUS:CANCELLED\nRECURRENCE-ID;TZID=Europe/Berlin:20260126T090000\n"
                 "DTSTART;TZID=Europe/Berlin:20260126T090000\nDTEND;TZID=Europe/Berlin:20260126T100000\n");
    const ICalendarFile file = ICalendarFile::parse(calendar(weekly), "weekly.ics");
    const QList<CalendarEvent> january = shown(file.occurrences(local(1, 1), local(2, 1), {}, {}));
    ASSERT_EQ(titles(january), QStringList({ "Weekly", "Moved" }));
    EXPECT_EQ(january[0].startDate, local(1, 5, 9));
    EXPECT_EQ(january[1].startDate, local(1, 20, 14));
    EXPECT_NE(january[0].id, january[1].id);

    // A rule without end gives only the range's occurrences, at 09:00 on either side of the clock change.
    const QList<CalendarEvent> spring = shown(file.occurrences(local(3, 23), local(4, 7), {}, {}));
    ASSERT_EQ(spring.size(), 3);
    for (const CalendarEvent& e : spring)
        EXPECT_EQ(e.startDate.toLocalTime().time(), QTime(9, 0)) << qPrintable(e.startDate.toString(Qt::ISODate));
}

namespace {
QByteArray storedEvent(const QByteArray& uid, const QByteArray& title)
{
    return calendar(vevent("UID:" + uid + "\nSUMMARY:" + title + "\nDTSTART:20260105T090000Z\n"));
}

QStringList sortedTitles(const QList<CalendarStoreEvent>& events)
{
    QStringList out = titles(shown(events));
    out.sort();
    return out;
}

using ICalendarFileStoreTest = TempDirTest;
} // namespace

TEST_F(ICalendarFileStoreTest, ReadsVdirFoldersAndListedPathsAndReloadsOnceAfterChanges)
{
    ManualScheduler scheduler;
    QObject context;
    ICalendarFileStore store(path("data/calendars"), path("settings.ini"), scheduler);
    const auto fetch = [&] {
        std::optional<QList<CalendarStoreEvent>> answer;
        store.fetchEvents(local(1, 5), local(1, 6), &context, [&](QList<CalendarStoreEvent> events) { answer = events; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return answer.has_value(); }, 10000));
        return answer.value_or(QList<CalendarStoreEvent>());
    };
    LogCapture log;
    writeFile("data/calendars/work/color", "#00ff00\n");
    writeFile("data/calendars/work/a.ics", storedEvent("a", "Work A"));
    writeFile("data/calendars/home/b.ics", storedEvent("b", "Home B"));
    writeFile("data/calendars/home/huge.ics", QByteArray(ICalendarFile::maxSize + 1, 'x'));
    writeFile("extra/holidays.ics", storedEvent("h", "Holiday"));
    QSettings(path("settings.ini"), QSettings::IniFormat)
        .setValue("Calendars/paths", QStringList { path("extra/holidays.ics"), path("gone") });
    store.start();
    const QList<CalendarStoreEvent> first = fetch();
    EXPECT_EQ(sortedTitles(first), QStringList({ "Holiday", "Home B", "Work A" }));
    for (const CalendarStoreEvent& e : first)
        EXPECT_EQ(e.color.isValid(), e.title == "Work A");
    EXPECT_TRUE(log.contains(QStringLiteral("Calendar path %1 from the settings does not exist").arg(path("gone"))));
    EXPECT_TRUE(log.contains(QStringLiteral("Skipped %1: %2 bytes, more than the %3 a calendar file may have")
                                 .arg(path("data/calendars/home/huge.ics"))
                                 .arg(ICalendarFile::maxSize + 1)
                                 .arg(ICalendarFile::maxSize)));

    // A sync writes several files: one change once the folders are quiet.
    QSignalSpy changed(&store, &CalendarStore::changed);
    writeFile("data/calendars/work/c.ics", storedEvent("c", "Work C"));
    writeFile("data/calendars/work/d.ics", storedEvent("d", "Work D"));
    QFile::remove(path("data/calendars/work/a.ics"));
    EXPECT_TRUE(QTest::qWaitFor([&] { return scheduler.pendingCount() > 0; }, 10000));
    QCoreApplication::processEvents();
    scheduler.advance(ICalendarFileStore::quietPeriod.count() - 1);
    EXPECT_EQ(changed.count(), 0);
    scheduler.advance(1);
    EXPECT_EQ(changed.count(), 1);
    EXPECT_EQ(sortedTitles(fetch()), QStringList({ "Holiday", "Home B", "Work C", "Work D" }));

    // A folder that disappears takes its events along; the others stay.
    QDir(path("data/calendars/work")).removeRecursively();
    EXPECT_EQ(sortedTitles(fetch()), QStringList({ "Holiday", "Home B" }));
    EXPECT_EQ(log.messages().count(QStringLiteral("Calendar path %1 from the settings does not exist").arg(path("gone"))), 1);
}
