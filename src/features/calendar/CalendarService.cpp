#include "CalendarService.h"

#include "CalendarLog.h"
#include "CalendarStore.h"
#include "UserDefaults.h"

#include <QPointer>

#include <algorithm>
#include <chrono>
#include <vector>

BRIMWELL_LOGGING_CATEGORY(lcCalendar, "brimwell.calendar", "Calendar")

namespace {

QDateTime startOfDay(const QDateTime& t)
{
    return t.toLocalTime().date().startOfDay();
}

} // namespace

CalendarService::CalendarService(
    CalendarStore& store, UserDefaults& defaults, Scheduler& scheduler, Clock& clock, WallClockEvents& wallClock, QObject* parent)
    : QObject(parent)
    , m_store(store)
    , m_defaults(defaults)
    , m_clock(clock)
    , m_wallClock(wallClock)
    , m_access(storedAccess())
    , m_refreshTask(scheduler)
    , m_dayChangeTask(scheduler)
{
}

CalendarService::~CalendarService() = default;

CalendarAccess CalendarService::storedAccess() const
{
    const QString answer = m_defaults.stringValue(accessKey()).value_or(QString()).trimmed();
    if (answer.isEmpty())
        return CalendarAccess::notDetermined;
    if (answer == QLatin1String("granted"))
        return CalendarAccess::granted;
    if (answer != QLatin1String("denied"))
        qCWarning(lcCalendar, "Calendar access \"%s\" in the settings is neither granted nor denied; treated as denied",
            qUtf8Printable(answer));
    return CalendarAccess::denied;
}

void CalendarService::start()
{
    if (m_isRunning)
        return;
    m_isRunning = true;
    m_observers << connect(&m_store, &CalendarStore::changed, this, &CalendarService::reloadAll);
    // A wake or a set clock may have crossed midnight without the day task firing.
    m_observers << connect(&m_wallClock, &WallClockEvents::wallClockChanged, this, [this] {
        scheduleDayChange();
        reloadAll();
    });
    scheduleDayChange();
    m_access = storedAccess();
    followStore();
    Q_EMIT accessChanged(); // always, even when unchanged
    reloadToday();
    reloadMonth();
}

void CalendarService::stop()
{
    if (!m_isRunning)
        return;
    m_isRunning = false;
    for (const QMetaObject::Connection& c : std::as_const(m_observers))
        disconnect(c);
    m_observers.clear();
    followStore();
    m_dayChangeTask.cancel();
    m_refreshTask.cancel();
    m_loadedMonth.reset();
    // Answers still on their way are stale now.
    ++m_todayGeneration;
    ++m_monthGeneration;
    m_todayEvents.clear();
    Q_EMIT todayEventsChanged();
    m_monthEvents.clear();
    Q_EMIT monthEventsChanged();
}

void CalendarService::publishAccess(CalendarAccess access)
{
    if (m_access == access)
        return;
    m_access = access;
    Q_EMIT accessChanged();
}

void CalendarService::refreshAccess()
{
    m_defaults.sync(); // the user may have edited the file
    const CalendarAccess access = storedAccess();
    if (access == m_access)
        return;
    publishAccess(access);
    followStore();
    reloadAll();
}

void CalendarService::followStore()
{
    // Not before the user allowed it: until then no calendar is opened, and
    // the program loads none of a store's libraries (Evolution Data Server's).
    const bool follow = m_isRunning && m_access == CalendarAccess::granted;
    if (follow == m_isFollowingStore)
        return;
    m_isFollowingStore = follow;
    if (follow)
        m_store.start();
    else
        m_store.stop();
}

void CalendarService::requestAccess()
{
    m_defaults.setString(accessKey(), QStringLiteral("granted"));
    qCInfo(lcCalendar, "Calendar full access granted: %s", "true");
    refreshAccess();
}

void CalendarService::withdrawAccess()
{
    m_defaults.setString(accessKey(), QStringLiteral("denied"));
    qCInfo(lcCalendar, "Calendar full access granted: %s", "false");
    refreshAccess();
}

void CalendarService::openPrivacySettings()
{
    if (m_openPrivacySettings) {
        m_openPrivacySettings();
        return;
    }
    qCInfo(lcCalendar,
        "Calendar access is kept in %s under [Calendars] access; the settings window is not available in this build",
        qUtf8Printable(m_defaults.path()));
}

void CalendarService::reloadAll()
{
    reloadToday();
    reloadMonth();
}

void CalendarService::scheduleDayChange()
{
    const QDateTime now = m_clock.now();
    const QDateTime nextDay = startOfDay(now).toLocalTime().date().addDays(1).startOfDay();
    const qint64 delay = std::max<qint64>(0, now.msecsTo(nextDay));
    QPointer<CalendarService> self(this);
    m_dayChangeTask.start(std::chrono::milliseconds(delay + 1000), [self] {
        if (!self)
            return;
        self->scheduleDayChange();
        self->reloadAll();
    });
}

QList<CalendarEvent> CalendarService::shownEvents(const QList<CalendarStoreEvent>& stored) const
{
    const QDateTime now = m_clock.now();
    QList<CalendarEvent> events;
    events.reserve(stored.size());
    for (const CalendarStoreEvent& s : stored)
        if (CalendarEvent::isShown(s))
            events.append(CalendarEvent::make(s, now));
    return events;
}

void CalendarService::reloadToday()
{
    m_refreshTask.cancel();
    const quint64 generation = ++m_todayGeneration;
    if (!m_isRunning || m_access != CalendarAccess::granted) {
        if (!m_todayEvents.isEmpty())
            publishToday({});
        return;
    }
    const QDateTime dayStart = startOfDay(m_clock.now());
    const QDateTime dayEnd = dayStart.date().addDays(1).startOfDay();
    if (!dayEnd.isValid())
        return;
    QPointer<CalendarService> self(this);
    m_store.fetchEvents(dayStart, dayEnd, this, [self, generation, dayEnd](QList<CalendarStoreEvent> stored) {
        if (!self || generation != self->m_todayGeneration)
            return;
        const QDateTime now = self->m_clock.now();
        QList<CalendarEvent> events = self->shownEvents(stored);
        sortToday(events, now);
        self->publishToday(events.mid(0, todayLimit));
        self->scheduleTodayRefresh(now, dayEnd, events);
    });
}

void CalendarService::sortToday(QList<CalendarEvent>& events, const QDateTime& now)
{
    std::stable_sort(events.begin(), events.end(),
        [&now](const CalendarEvent& a, const CalendarEvent& b) { return CalendarEvent::todayOrder(a, b, now); });
}

void CalendarService::publishToday(QList<CalendarEvent> events)
{
    if (events == m_todayEvents)
        return;
    m_todayEvents = std::move(events);
    Q_EMIT todayEventsChanged();
}

void CalendarService::scheduleTodayRefresh(const QDateTime& now, const QDateTime& dayEnd, const QList<CalendarEvent>& events)
{
    QDateTime target = dayEnd;
    for (const CalendarEvent& e : events)
        if (e.endDate > now && e.endDate < target)
            target = e.endDate;
    const qint64 delay = std::max<qint64>(0, now.msecsTo(target)) + 1000;
    QPointer<CalendarService> self(this);
    m_refreshTask.start(std::chrono::milliseconds(delay), [self] {
        if (self)
            self->reloadToday();
    });
}

CalendarService::MonthInterval CalendarService::monthInterval(const QDateTime& date)
{
    const QDate day = date.toLocalTime().date();
    const QDate first(day.year(), day.month(), 1);
    return { first.startOfDay(), first.addMonths(1).startOfDay() };
}

void CalendarService::loadMonth(const QDateTime& date)
{
    if (!date.isValid())
        return;
    const MonthInterval month = monthInterval(date);
    if (m_loadedMonth == month)
        return;
    m_loadedMonth = month;
    reloadMonth();
}

void CalendarService::reloadMonth()
{
    const quint64 generation = ++m_monthGeneration;
    if (!m_isRunning || m_access != CalendarAccess::granted || !m_loadedMonth) {
        if (!m_monthEvents.isEmpty())
            publishMonth({});
        return;
    }
    const MonthInterval month = *m_loadedMonth;
    QPointer<CalendarService> self(this);
    m_store.fetchEvents(month.start, month.end, this, [self, generation, month](QList<CalendarStoreEvent> stored) {
        if (!self || generation != self->m_monthGeneration)
            return;
        self->publishMonth(groupByDay(self->shownEvents(stored), month));
    });
}

CalendarService::MonthEvents CalendarService::groupByDay(const QList<CalendarEvent>& events, const MonthInterval& month)
{
    // The month's local midnights as instants, found once: placing a
    // thousand events then needs no time-zone arithmetic, which is what
    // would cost the GUI thread here.
    std::vector<qint64> midnights;
    std::vector<QDateTime> keys;
    const QDate lastDay = month.end.toLocalTime().date();
    for (QDate d = month.start.toLocalTime().date(); d <= lastDay; d = d.addDays(1)) {
        keys.push_back(d.startOfDay().toUTC());
        midnights.push_back(keys.back().toMSecsSinceEpoch());
    }
    if (midnights.size() < 2)
        return {};
    const qint64 monthStart = midnights.front();
    const qint64 monthLast = midnights.back() - 1000;

    std::vector<QList<CalendarEvent>> days(midnights.size() - 1);
    for (const CalendarEvent& e : events) {
        const qint64 start = e.startDate.toMSecsSinceEpoch();
        const qint64 end = e.endDate.toMSecsSinceEpoch();
        const qint64 last = std::min(end > start ? end - 1000 : start, monthLast);
        const qint64 first = std::max(monthStart, start);
        auto day = std::upper_bound(midnights.begin(), midnights.end(), first) - 1;
        for (; day < midnights.end() - 1 && *day <= last; ++day)
            days[std::size_t(day - midnights.begin())].append(e);
    }
    MonthEvents byDay;
    for (std::size_t i = 0; i < days.size(); ++i) {
        if (days[i].isEmpty())
            continue;
        std::stable_sort(days[i].begin(), days[i].end(), [](const CalendarEvent& a, const CalendarEvent& b) {
            if (a.isAllDay != b.isAllDay)
                return a.isAllDay;
            return a.startDate < b.startDate;
        });
        byDay.insert(keys[i], std::move(days[i]));
    }
    return byDay;
}

void CalendarService::publishMonth(MonthEvents events)
{
    if (events == m_monthEvents)
        return;
    m_monthEvents = std::move(events);
    Q_EMIT monthEventsChanged();
}
