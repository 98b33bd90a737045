#include "CalendarTodayModel.h"

#include "CalendarEventRowText.h"
#include "CalendarService.h"

#include <QLocale>

CalendarTodayModel::CalendarTodayModel(QObject* parent)
    : QObject(parent)
{
}

void CalendarTodayModel::setService(CalendarService* service)
{
    if (m_service == service)
        return;
    disconnect(m_connection);
    m_service = service;
    if (service)
        m_connection = connect(service, &CalendarService::todayEventsChanged, this, &CalendarTodayModel::changed);
    Q_EMIT serviceChanged();
    Q_EMIT changed();
}

QString CalendarTodayModel::weekdayText() const
{
    const QLocale locale;
    return locale.dayName(m_now.toLocalTime().date().dayOfWeek(), QLocale::ShortFormat).toUpper();
}

QString CalendarTodayModel::dayText() const
{
    return QString::number(m_now.toLocalTime().date().day());
}

QVariantList CalendarTodayModel::rows() const
{
    QVariantList rows;
    if (!m_service)
        return rows;
    const QLocale locale;
    const QList<CalendarEvent>& events = m_service->todayEvents();
    const QString next = CalendarEvent::nextUpcomingID(events, m_now);
    for (const CalendarEvent& e : events)
        rows.append(CalendarEventRowText::row(e, m_now, !next.isEmpty() && e.id == next, locale));
    return rows;
}
