#pragma once

#include "CalendarEvent.h"

#include <QLocale>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <optional>

// QML writes `CalendarEventSuffixes.CalendarEventSuffix.now`.
namespace CalendarEventSuffixes {
Q_NAMESPACE
QML_ELEMENT
/// What follows a row's time range: nothing, a green "Now" while the event
/// runs, or the time until the next event starts.
enum class CalendarEventSuffix { none, now, until };
Q_ENUM_NS(CalendarEventSuffix)
} // namespace CalendarEventSuffixes
using CalendarEventSuffixes::CalendarEventSuffix;

/// What a calendar row says about its event: the time range or "All day",
/// and, relative to now, "Now" or the time until the next event starts.
struct CalendarEventRowText {
    /// "All day", or the start and end times in the locale's short form.
    QString base;
    CalendarEventSuffix suffix = CalendarEventSuffix::none;
    /// For `until`: the time left, e.g. "1 hr, 5 min" or "12 min".
    QString until;

    bool operator==(const CalendarEventRowText&) const = default;

    static CalendarEventRowText make(
        const CalendarEvent& event, const std::optional<QDateTime>& now, bool isNextUpcoming, const QLocale& locale);
    /// Minutes from `now` to `start`, rounded up, at least one, as hours and minutes.
    static QString timeUntil(const QDateTime& now, const QDateTime& start);
};
