#pragma once

#include "CalendarEventRowModel.h"

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QtQml/qqmlregistration.h>

class CalendarService;

/// What the today view shows: the date badge and one row per event of the
/// service's today list, each with its detail line relative to `now`.
// Not final: QML derives from the types it creates.
class CalendarTodayModel : public QObject {
    Q_OBJECT
    QML_ELEMENT
    Q_MOC_INCLUDE("CalendarService.h")
    Q_PROPERTY(CalendarService* service READ service WRITE setService NOTIFY serviceChanged)
    /// The time the rows are relative to; the view's minute timeline sets it.
    Q_PROPERTY(QDateTime now READ now WRITE setNow NOTIFY nowChanged)
    /// Today's weekday abbreviated and upper-cased, e.g. "MON".
    Q_PROPERTY(QString weekdayText READ weekdayText NOTIFY nowChanged)
    /// Today's day of the month.
    Q_PROPERTY(QString dayText READ dayText NOTIFY nowChanged)
    /// One row per event of today's list; the same object for the model's life.
    Q_PROPERTY(CalendarEventRowModel* rows READ rows CONSTANT)
public:
    explicit CalendarTodayModel(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(CalendarTodayModel)

    CalendarService* service() const { return m_service; }
    void setService(CalendarService* service);
    QDateTime now() const { return m_now; }
    void setNow(const QDateTime& now);

    QString weekdayText() const;
    QString dayText() const;
    CalendarEventRowModel* rows() { return &m_rows; }

Q_SIGNALS:
    void serviceChanged();
    void nowChanged();

private:
    void refresh();

    QPointer<CalendarService> m_service;
    QMetaObject::Connection m_connection;
    QDateTime m_now;
    CalendarEventRowModel m_rows;
};
