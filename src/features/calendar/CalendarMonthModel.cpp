#include "CalendarMonthModel.h"

#include "CalendarEventRowText.h"
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
}

void CalendarMonthModel::setService(CalendarService* service)
{
    if (m_service == service)
        return;
    disconnect(m_connection);
    m_service = service;
    if (service) {
        m_connection = connect(service, &CalendarService::monthEventsChanged, this, &CalendarMonthModel::changed);
        service->loadMonth(m_displayedMonth);
    }
    Q_EMIT serviceChanged();
    Q_EMIT changed();
}

void CalendarMonthModel::setNow(const QDateTime& now)
{
    if (now == m_now)
        return;
    m_now = now;
    Q_EMIT changed();
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
}

void CalendarMonthModel::showToday()
{
    const QDate today = m_now.toLocalTime().date();
    m_selectedDay = today.startOfDay();
    setMonth(QDate(today.year(), today.month(), 1).startOfDay());
    Q_EMIT changed();
}

void CalendarMonthModel::select(const QDateTime& date)
{
    const QDateTime day = date.toLocalTime().date().startOfDay();
    if (day == m_selectedDay)
        return;
    m_selectedDay = day;
    Q_EMIT changed();
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

QVariantList CalendarMonthModel::cells() const
{
    const QDate today = m_now.toLocalTime().date();
    const QDate selected = m_selectedDay.toLocalTime().date();
    QVariantList cells;
    for (const std::optional<QDate>& slot : weekSlots(m_displayedMonth.toLocalTime().date(), QLocale().firstDayOfWeek())) {
        if (!slot) {
            cells.append(QVariantMap { { QStringLiteral("empty"), true } });
            continue;
        }
        const QDateTime start = slot->startOfDay();
        const bool hasEvents = m_service && !m_service->monthEvents().value(start).isEmpty();
        cells.append(QVariantMap {
            { QStringLiteral("empty"), false },
            { QStringLiteral("day"), slot->day() },
            { QStringLiteral("date"), start },
            { QStringLiteral("isToday"), *slot == today },
            { QStringLiteral("isSelected"), *slot == selected },
            { QStringLiteral("hasEvents"), hasEvents },
        });
    }
    return cells;
}

QString CalendarMonthModel::selectedDayTitle() const
{
    return QLocale().toString(m_selectedDay.toLocalTime().date(), QStringLiteral("dddd, MMMM d"));
}

QVariantList CalendarMonthModel::selectedRows() const
{
    QVariantList rows;
    if (!m_service)
        return rows;
    const QLocale locale;
    const QList<CalendarEvent> events = m_service->monthEvents().value(m_selectedDay);
    const bool isToday = m_selectedDay.toLocalTime().date() == m_now.toLocalTime().date();
    const QString next = isToday ? CalendarEvent::nextUpcomingID(events, m_now) : QString();
    for (const CalendarEvent& e : events) {
        rows.append(CalendarEventRowText::row(
            e, isToday ? std::optional<QDateTime>(m_now) : std::nullopt, !next.isEmpty() && e.id == next, locale));
    }
    return rows;
}
