#include "LazyCalendarStore.h"

#include <QPointer>

#include <utility>

LazyCalendarStore::LazyCalendarStore(Maker make, QObject* parent)
    : CalendarStore(parent)
    , m_make(std::move(make))
{
}

void LazyCalendarStore::start()
{
    if (const Maker make = std::exchange(m_make, {})) {
        m_store = make(this);
        if (m_store)
            connect(m_store, &CalendarStore::changed, this, &CalendarStore::changed);
    }
    if (m_store)
        m_store->start();
}

void LazyCalendarStore::stop()
{
    if (m_store)
        m_store->stop();
}

void LazyCalendarStore::fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer)
{
    if (m_store) {
        m_store->fetchEvents(start, end, context, std::move(answer));
        return;
    }
    QPointer<QObject> guard(context);
    QMetaObject::invokeMethod(
        this,
        [guard, answer = std::move(answer)] {
            if (guard)
                answer({});
        },
        Qt::QueuedConnection);
}
