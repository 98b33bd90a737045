#include "CalendarTodayModel.h"

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
        m_connection = connect(service, &CalendarService::todayEventsChanged, this, &CalendarTodayModel::refresh);
    Q_EMIT serviceChanged();
    refresh();
}

void CalendarTodayModel::setNow(const QDateTime& now)
{
    if (now == m_now)
        return;
    m_now = now;
    Q_EMIT nowChanged();
    refresh();
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

void CalendarTodayModel::refresh()
{
    m_rows.update(m_service ? m_service->todayEvents() : QList<CalendarEvent>(), m_now);
}
