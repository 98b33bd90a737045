#pragma once

#include "CalendarStore.h"

#include <functional>

/// A store made on its first start, so what it needs (a library, a server
/// connection) costs nothing while no calendar is read. Until then, and when
/// it could not be made, it holds no events.
class LazyCalendarStore final : public CalendarStore {
    Q_OBJECT
public:
    /// Makes the store as a child of `parent`; null when it cannot (the maker logs why).
    using Maker = std::function<CalendarStore*(QObject* parent)>;

    explicit LazyCalendarStore(Maker make, QObject* parent = nullptr);
    Q_DISABLE_COPY_MOVE(LazyCalendarStore)

    /// The first call makes the store, once: one that could not be made is not tried again.
    void start() override;
    void stop() override;
    void fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer) override;

private:
    Maker m_make;
    CalendarStore* m_store = nullptr;
};
