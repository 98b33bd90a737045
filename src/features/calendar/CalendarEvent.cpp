#include "CalendarEvent.h"

CalendarEvent CalendarEvent::make(const CalendarStoreEvent& stored, const QDateTime& now)
{
    CalendarEvent event;
    event.startDate = stored.start.value_or(now);
    const QString title = stored.title.value_or(QString()).trimmed();
    event.title = title.isEmpty() ? QStringLiteral("Untitled event") : title;
    event.id = stored.identifier + QLatin1Char('-') + QString::number(event.startDate.toSecsSinceEpoch());
    event.endDate = stored.end.value_or(event.startDate);
    if (event.startDate >= event.endDate)
        event.endDate = event.startDate;
    event.isAllDay = stored.isAllDay;
    event.color = stored.color.isValid() ? stored.color : systemBlue();
    return event;
}

bool CalendarEvent::isShown(const CalendarStoreEvent& stored)
{
    if (stored.isCancelled)
        return false;
    for (const CalendarStoreEvent::Attendee& attendee : stored.attendees)
        if (attendee.isCurrentUser && attendee.hasDeclined)
            return false;
    return true;
}

bool CalendarEvent::todayOrder(const CalendarEvent& a, const CalendarEvent& b, const QDateTime& now)
{
    const auto group = [&now](const CalendarEvent& e) { return e.isAllDay ? 1 : (e.endDate > now ? 0 : 2); };
    const int ga = group(a);
    const int gb = group(b);
    if (ga != gb)
        return ga < gb;
    if (ga == 2)
        return a.endDate > b.endDate;
    return a.startDate < b.startDate;
}

QString CalendarEvent::nextUpcomingID(const QList<CalendarEvent>& events, const QDateTime& now)
{
    for (const CalendarEvent& e : events)
        if (!e.isAllDay && e.startDate > now)
            return e.id;
    return {};
}
