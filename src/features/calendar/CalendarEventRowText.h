#pragma once

#include "CalendarEvent.h"

#include <QLocale>
#include <QVariantMap>

#include <optional>

/// What a calendar row says about its event: the time range or "All day",
/// and, relative to now, "Now" or the time until the next event starts.
struct CalendarEventRowText {
    enum class Suffix { none, now, until };

    /// "All day", or the start and end times in the locale's short form.
    QString base;
    Suffix suffix = Suffix::none;
    /// For `until`: the time left, e.g. "1 hr, 5 min" or "12 min".
    QString until;

    bool operator==(const CalendarEventRowText&) const = default;

    static CalendarEventRowText make(
        const CalendarEvent& event, const std::optional<QDateTime>& now, bool isNextUpcoming, const QLocale& locale);
    /// Minutes from `now` to `start`, rounded up, at least one, as hours and minutes.
    static QString timeUntil(const QDateTime& now, const QDateTime& start);

    /// A row as QML reads it: id, title, color, base, suffix ("", "now",
    /// "until"), until, and dimmed (a timed event that has ended by `now`).
    static QVariantMap row(
        const CalendarEvent& event, const std::optional<QDateTime>& now, bool isNextUpcoming, const QLocale& locale);
};
