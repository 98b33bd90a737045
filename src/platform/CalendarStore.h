#pragma once

#include <QColor>
#include <QDateTime>
#include <QList>
#include <QObject>
#include <QString>

#include <functional>
#include <optional>

/// One occurrence as a calendar store holds it: recurrences are already
/// expanded, so a weekly meeting arrives once per week in the range asked for.
struct CalendarStoreEvent {
    struct Attendee {
        /// The attendee is the user (the source's identity, or one of the
        /// addresses the user listed as their own).
        bool isCurrentUser = false;
        bool hasDeclined = false;
        bool operator==(const Attendee&) const = default;
    };

    /// The event's identifier (UID), the same for every occurrence.
    QString identifier;
    /// Absent when the event has no title at all.
    std::optional<QString> title;
    /// Absent when the store knows no start.
    std::optional<QDateTime> start;
    /// Absent when the store knows no end.
    std::optional<QDateTime> end;
    bool isAllDay = false;
    bool isCancelled = false;
    QList<Attendee> attendees;
    /// The colour of the event's calendar; invalid when it has none.
    QColor color;

    bool operator==(const CalendarStoreEvent&) const = default;
};

/// The user's calendars as one store: every occurrence overlapping a range,
/// and a notice when anything in them changed. Loading is asynchronous and
/// never blocks the GUI thread; answers arrive there.
class CalendarStore : public QObject {
    Q_OBJECT
public:
    using Answer = std::function<void(QList<CalendarStoreEvent>)>;

    using QObject::QObject;

    /// Begins watching the sources for changes; until then changed() stays quiet.
    virtual void start() = 0;
    /// Stops watching; answers still pending are delivered or dropped.
    virtual void stop() = 0;
    /// Fetches the occurrences overlapping [start, end) and calls `answer`
    /// once, later, on the GUI thread, unless `context` is gone by then.
    /// Unreadable sources are logged and left out; the answer may be empty.
    virtual void fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer) = 0;

Q_SIGNALS:
    /// Events were added, changed or removed, or a source came or went.
    void changed();
};
