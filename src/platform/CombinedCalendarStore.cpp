#include "CombinedCalendarStore.h"

#include <QPointer>

#include <memory>

CombinedCalendarStore::CombinedCalendarStore(std::vector<CalendarStore*> stores, QObject* parent)
    : CalendarStore(parent)
    , m_stores(std::move(stores))
{
    for (CalendarStore* store : m_stores)
        connect(store, &CalendarStore::changed, this, &CalendarStore::changed);
}

void CombinedCalendarStore::start()
{
    for (CalendarStore* store : m_stores)
        store->start();
}

void CombinedCalendarStore::stop()
{
    for (CalendarStore* store : m_stores)
        store->stop();
}

void CombinedCalendarStore::fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer)
{
    struct Gathering {
        std::size_t waiting;
        QList<CalendarStoreEvent> events;
        Answer answer;
    };
    auto gathering = std::make_shared<Gathering>(Gathering { m_stores.size(), {}, std::move(answer) });
    if (m_stores.empty()) {
        QPointer<QObject> guard(context);
        QMetaObject::invokeMethod(
            this,
            [guard, gathering] {
                if (guard)
                    gathering->answer({});
            },
            Qt::QueuedConnection);
        return;
    }
    for (CalendarStore* store : m_stores) {
        store->fetchEvents(start, end, context, [gathering](QList<CalendarStoreEvent> events) {
            gathering->events.append(std::move(events));
            if (--gathering->waiting == 0)
                gathering->answer(std::move(gathering->events));
        });
    }
}
