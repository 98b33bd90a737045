#pragma once

#include "CalendarStore.h"

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>
#include <QtQml/qqmlregistration.h>

/// One occurrence as the calendar views show it.
struct CalendarEvent {
    /// Unique per occurrence: identifier, "-", start in seconds since 1970.
    QString id;
    /// Trimmed title, or "Untitled event".
    QString title;
    QDateTime startDate;
    /// Never before the start.
    QDateTime endDate;
    bool isAllDay = false;
    /// The calendar's colour, or the system blue.
    QColor color;

    bool operator==(const CalendarEvent&) const = default;

    /// The colour of an event whose calendar has none.
    static QColor systemBlue() { return QColor(0, 122, 255); }

    /// The event built from a store occurrence; `now` stands in for a missing start.
    static CalendarEvent make(const CalendarStoreEvent& stored, const QDateTime& now);
    /// False for a cancelled occurrence, or one the user declined.
    static bool isShown(const CalendarStoreEvent& stored);
    /// Today's order: upcoming and running events by start, then all-day
    /// ones by start, then ended ones, the most recently ended first.
    static bool todayOrder(const CalendarEvent& a, const CalendarEvent& b, const QDateTime& now);
    /// The id of the first event in `events` that is not all-day and starts
    /// after `now`; empty when there is none.
    static QString nextUpcomingID(const QList<CalendarEvent>& events, const QDateTime& now);
};

// QML writes `CalendarAccesses.CalendarAccess.granted`.
namespace CalendarAccesses {
Q_NAMESPACE
QML_ELEMENT
/// Whether the user let the island show their events.
enum class CalendarAccess { notDetermined, granted, denied };
Q_ENUM_NS(CalendarAccess)
} // namespace CalendarAccesses
using CalendarAccesses::CalendarAccess;
