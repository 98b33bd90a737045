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

    /// Answers request `index` of the pending ones with the held occurrences
    /// that overlap its range.
    void answer(int index)
    {
        const Request request = pending.takeAt(index);
        QList<CalendarStoreEvent> out;
        for (const CalendarStoreEvent& e : events) {
            const QDateTime s = e.start.value_or(request.start);
            const QDateTime last = std::max(s, e.end.value_or(s));
            if (s < request.end && (last > request.start || (last == s && s >= request.start)))
                out.append(e);
        }
        if (request.context)
            request.answer(out);
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
