// The iCalendar event builder: any bytes parsed as a calendar file and its
// events expanded over a month, as the Calendar tab asks.

#include "FuzzApplication.h"
#include "ICalendarFile.h"

#include <QTimeZone>

#include <cstdlib>

extern "C" int LLVMFuzzerInitialize(int* argc, char*** argv)
{
    (void)fuzzScratchFolder(argc, argv);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QByteArray text(reinterpret_cast<const char*>(data), qsizetype(size));
    const ICalendarFile file = ICalendarFile::parse(text, QStringLiteral("fuzz.ics"));
    if (!file.isValid())
        return 0;
    const QDateTime start(QDate(2026, 12, 1), QTime(0, 0), QTimeZone::utc());
    const QDateTime end = start.addMonths(1);
    const QList<CalendarStoreEvent> events = file.occurrences(start, end, { QStringLiteral("me@example.com") }, QColor(Qt::blue));
    for (const CalendarStoreEvent& event : events) {
        // Every occurrence overlaps the range asked for.
        if (!event.start)
            std::abort();
        const QDateTime first = *event.start;
        const QDateTime last = std::max(first, event.end.value_or(first));
        if (first >= end || last < start)
            std::abort();
    }
    return 0;
}
