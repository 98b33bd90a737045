#pragma once

#include "CalendarDayCellModel.h"
#include "CalendarEventRowModel.h"

#include <QDate>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <QtQml/qqmlregistration.h>

#include <optional>

class CalendarService;

/// The month view's state and what it shows: the displayed month with its
/// weeks of day cells, the selected day and that day's rows. Moving to a
/// month asks the service to load it.
// Not final: QML derives from the types it creates.
class CalendarMonthModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("CalendarService.h")
    Q_PROPERTY(CalendarService* service READ service WRITE setService NOTIFY serviceChanged)
    /// The time today's marks and rows are relative to; the view's minute timeline sets it.
    Q_PROPERTY(QDateTime now READ now WRITE setNow NOTIFY nowChanged)
    /// The first instant of the shown month.
    Q_PROPERTY(QDateTime displayedMonth READ displayedMonth NOTIFY changed)
    /// The start of the selected day.
    Q_PROPERTY(QDateTime selectedDay READ selectedDay NOTIFY changed)
    /// Abbreviated month and year, e.g. "Jan 2026".
    Q_PROPERTY(QString monthTitle READ monthTitle NOTIFY changed)
    /// One-letter weekday names from the locale's first weekday on.
    Q_PROPERTY(QStringList weekdaySymbols READ weekdaySymbols NOTIFY changed)
    /// Slots of the weeks, seven a row; the same object for the model's life.
    Q_PROPERTY(CalendarDayCellModel* cells READ cells CONSTANT)
    /// The selected day as weekday, month and day, e.g. "Monday, January 5".
    Q_PROPERTY(QString selectedDayTitle READ selectedDayTitle NOTIFY changed)
    /// The selected day's rows, relative to now when it is today; the same
    /// object for the model's life.
    Q_PROPERTY(CalendarEventRowModel* selectedRows READ selectedRows CONSTANT)
public:
    explicit CalendarMonthModel(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(CalendarMonthModel)

    CalendarService* service() const { return m_service; }
    void setService(CalendarService* service);
    QDateTime now() const { return m_now; }
    void setNow(const QDateTime& now);

    QDateTime displayedMonth() const { return m_displayedMonth; }
    QDateTime selectedDay() const { return m_selectedDay; }
    QString monthTitle() const;
    QStringList weekdaySymbols() const;
    CalendarDayCellModel* cells() { return &m_cells; }
    QString selectedDayTitle() const;
    CalendarEventRowModel* selectedRows() { return &m_selectedRows; }

    /// Moves by `offset` months; selects today in the current month, else the first day.
    Q_INVOKABLE void showMonth(int offset);
    /// Back to the current month with today selected.
    Q_INVOKABLE void showToday();
    /// Selects day `day` of the displayed month.
    Q_INVOKABLE void selectDay(int day);

    /// The days of `month` in weeks of seven, starting on `firstWeekday`;
    /// absent slots are the empty ones before the first and after the last day.
    static QList<std::optional<QDate>> weekSlots(const QDate& month, Qt::DayOfWeek firstWeekday);

Q_SIGNALS:
    void serviceChanged();
    void nowChanged();
    /// The displayed month or the selected day changed.
    void changed();

private:
    void setMonth(const QDateTime& month);
    // Brings the cells and the selected day's rows up to date, reporting only what changed.
    void refresh();

    QPointer<CalendarService> m_service;
    QMetaObject::Connection m_connection;
    QDateTime m_now;
    QDateTime m_displayedMonth;
    QDateTime m_selectedDay;
    CalendarDayCellModel m_cells;
    CalendarEventRowModel m_selectedRows;
};
