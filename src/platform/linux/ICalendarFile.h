#pragma once

#include "CalendarStore.h"

#include <QByteArray>
#include <QColor>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

struct icalcomponent_impl;

/// One iCalendar file parsed with libical: its events checked once when
/// read (events without a start or with a time zone nobody knows are logged
/// and left out), then expanded into occurrences for any range.
class ICalendarFile final {
public:
    /// Files above this size are not read: a calendar of thousands of
    /// events stays well below it, and a larger file is most likely not one.
    static constexpr qint64 maxSize = 4 * 1024 * 1024;

    /// Parses `text`; `name` identifies the file in log lines. A file that
    /// is not an iCalendar object, or is cut off, gives a file with no events.
    static ICalendarFile parse(const QByteArray& text, const QString& name);

    ICalendarFile();
    ~ICalendarFile();
    ICalendarFile(ICalendarFile&&) noexcept;
    ICalendarFile& operator=(ICalendarFile&&) noexcept;

    bool isValid() const { return m_root != nullptr; }
    /// The calendar's own colour (COLOR, else X-APPLE-CALENDAR-COLOR); invalid when none.
    QColor color() const { return m_color; }
    /// Every occurrence overlapping [start, end): recurrences expanded by
    /// libical with their exceptions and moved occurrences. Attendees whose
    /// address is in `ownerEmails` count as the user. `color` is given to
    /// every occurrence.
    QList<CalendarStoreEvent> occurrences(
        const QDateTime& start, const QDateTime& end, const QStringList& ownerEmails, const QColor& color) const;

    /// A colour as calendars write it: "#RRGGBB", "#RRGGBBAA" or a CSS name.
    static QColor parseColor(const QString& text);

private:
    struct Deleter {
        void operator()(icalcomponent_impl* root) const;
    };
    std::unique_ptr<icalcomponent_impl, Deleter> m_root;
    QColor m_color;
    QString m_name;
};
