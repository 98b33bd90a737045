#pragma once

#include "CalendarStore.h"

#include <vector>

/// Several stores as one: a fetch asks each and answers with all of their
/// occurrences once the last has answered; a change in any is a change.
class CombinedCalendarStore final : public CalendarStore {
    Q_OBJECT
public:
    /// The stores must outlive this object.
    explicit CombinedCalendarStore(std::vector<CalendarStore*> stores, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(CombinedCalendarStore)

    void start() override;
    void stop() override;
    void fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer) override;

private:
    std::vector<CalendarStore*> m_stores;
};
