#pragma once

#include "CalendarStore.h"

#include <QPointer>

/// Occurrences held in memory. Fetches wait until the test answers them,
/// so it decides when (and in which order) loads finish.
class FakeCalendarStore final : public CalendarStore {
public:
    struct Request {
        QDateTime start;
        QDateTime end;
        QPointer<QObject> context;
        Answer answer;
    };

    void start() override { isWatching = true; }
    void stop() override { isWatching = false; }
    void fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer) override
    {
        pending.append({ start, end, context, std::move(answer) });
    }

    /// The held occurrences that overlap [start, end).
    QList<CalendarStoreEvent> overlapping(const QDateTime& start, const QDateTime& end) const
    {
        QList<CalendarStoreEvent> out;
        for (const CalendarStoreEvent& e : events) {
            const QDateTime s = e.start.value_or(start);
            const QDateTime last = std::max(s, e.end.value_or(s));
            if (s < end && (last > start || (last == s && s >= start)))
                out.append(e);
        }
        return out;
    }
    /// Answers request `index` of the pending ones with what overlaps its range.
    void answer(int index)
    {
        Request request = pending.takeAt(index);
        if (request.context)
            request.answer(overlapping(request.start, request.end));
    }
    void answerAll()
    {
        while (!pending.isEmpty())
            answer(0);
    }

    QList<CalendarStoreEvent> events;
    QList<Request> pending;
    bool isWatching = false;
};
