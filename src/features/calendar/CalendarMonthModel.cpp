#include "CalendarMonthModel.h"

#include "CalendarLog.h"
#include "CalendarService.h"
#include "Clock.h"

#include <QLocale>

CalendarMonthModel::CalendarMonthModel(QObject* parent)
    : QObject(parent)
    , m_now(Clock::system().now())
{
    const QDate today = m_now.toLocalTime().date();
    m_displayedMonth = QDate(today.year(), today.month(), 1).startOfDay();
    m_selectedDay = today.startOfDay();
    refresh();
}

void CalendarMonthModel::setService(CalendarService* service)
{
    if (m_service == service)
        return;
    disconnect(m_connection);
    m_service = service;
    if (service) {
        m_connection = connect(service, &CalendarService::monthEventsChanged, this, &CalendarMonthModel::refresh);
        service->loadMonth(m_displayedMonth);
    }
    Q_EMIT serviceChanged();
    refresh();
}

void CalendarMonthModel::setNow(const QDateTime& now)
{
    if (now == m_now)
        return;
    m_now = now;
    Q_EMIT nowChanged();
    refresh();
}

void CalendarMonthModel::setMonth(const QDateTime& month)
{
    m_displayedMonth = month;
    if (m_service)
        m_service->loadMonth(month);
}

void CalendarMonthModel::showMonth(int offset)
{
    const QDate month = m_displayedMonth.toLocalTime().date().addMonths(offset);
    if (!month.isValid())
        return;
    const QDate today = m_now.toLocalTime().date();
    const bool isCurrent = month.year() == today.year() && month.month() == today.month();
    m_selectedDay = isCurrent ? today.startOfDay() : month.startOfDay();
    setMonth(month.startOfDay());
    Q_EMIT changed();
    refresh();
}

void CalendarMonthModel::showToday()
{
    const QDate today = m_now.toLocalTime().date();
    m_selectedDay = today.startOfDay();
    setMonth(QDate(today.year(), today.month(), 1).startOfDay());
    Q_EMIT changed();
    refresh();
}

void CalendarMonthModel::selectDay(int day)
{
    const QDate month = m_displayedMonth.toLocalTime().date();
    const QDate date(month.year(), month.month(), day);
    if (!date.isValid()) {
        qCWarning(lcCalendar, "No day %d in the month of %s; selection kept", day, qPrintable(month.toString(Qt::ISODate)));
        return;
    }
    if (date.startOfDay() == m_selectedDay)
        return;
    m_selectedDay = date.startOfDay();
    Q_EMIT changed();
    refresh();
}

QString CalendarMonthModel::monthTitle() const
{
    return QLocale().toString(m_displayedMonth.toLocalTime().date(), QStringLiteral("MMM yyyy"));
}

QStringList CalendarMonthModel::weekdaySymbols() const
{
    const QLocale locale;
    QStringList symbols;
    for (int i = 0; i < 7; ++i)
        symbols << locale.standaloneDayName((int(locale.firstDayOfWeek()) - 1 + i) % 7 + 1, QLocale::NarrowFormat);
    return symbols;
}

QList<std::optional<QDate>> CalendarMonthModel::weekSlots(const QDate& month, Qt::DayOfWeek firstWeekday)
{
    QList<std::optional<QDate>> result;
    const QDate first(month.year(), month.month(), 1);
    if (!first.isValid())
        return result;
    const int leading = (first.dayOfWeek() - int(firstWeekday) + 7) % 7;
    for (int i = 0; i < leading; ++i)
        result.append(std::nullopt);
    for (int d = 0; d < first.daysInMonth(); ++d)
        result.append(first.addDays(d));
    while (result.size() % 7 != 0)
        result.append(std::nullopt);
    return result;
}

QString CalendarMonthModel::selectedDayTitle() const
{
    return QLocale().toString(m_selectedDay.toLocalTime().date(), QStringLiteral("dddd, MMMM d"));
}

void CalendarMonthModel::refresh()
{
    const QDate today = m_now.toLocalTime().date();
    const QDate selected = m_selectedDay.toLocalTime().date();
    const CalendarService::MonthEvents none;
    const CalendarService::MonthEvents& events = m_service ? m_service->monthEvents() : none;
    QList<CalendarDayCellModel::Cell> cells;
    for (const std::optional<QDate>& slot : weekSlots(m_displayedMonth.toLocalTime().date(), QLocale().firstDayOfWeek())) {
        if (slot)
            cells.append(CalendarDayCellModel::Cell {
                slot->day(), *slot == today, *slot == selected, !events.value(slot->startOfDay()).isEmpty() });
        else
            cells.append(CalendarDayCellModel::Cell {});
    }
    m_cells.update(cells);
    // Only today's rows are relative to now; other days show their time ranges alone.
    m_selectedRows.update(events.value(m_selectedDay), selected == today ? std::optional(m_now) : std::nullopt);
}
