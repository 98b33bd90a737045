#pragma once

#include <QDateTime>
#include <QObject>
#include <QPointer>
#include <QVariantList>
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
    Q_PROPERTY(QDateTime now MEMBER m_now NOTIFY changed)
    /// Today's weekday abbreviated and upper-cased, e.g. "MON".
    Q_PROPERTY(QString weekdayText READ weekdayText NOTIFY changed)
    /// Today's day of the month.
    Q_PROPERTY(QString dayText READ dayText NOTIFY changed)
    /// Rows as CalendarEventRowText::row() makes them.
    Q_PROPERTY(QVariantList rows READ rows NOTIFY changed)
public:
    explicit CalendarTodayModel(QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(CalendarTodayModel)

    CalendarService* service() const { return m_service; }
    void setService(CalendarService* service);

    QString weekdayText() const;
    QString dayText() const;
    QVariantList rows() const;

Q_SIGNALS:
    void serviceChanged();
    void changed();

private:
    QPointer<CalendarService> m_service;
    QMetaObject::Connection m_connection;
    QDateTime m_now;
};
