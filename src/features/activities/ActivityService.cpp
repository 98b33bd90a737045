#include "ActivityService.h"

#include "ActivitiesLog.h"
#include "ActivityHints.h"
#include "Clock.h"
#include "SymbolCatalog.h"
#include "WallClockEvents.h"

#include <algorithm>

BRIMWELL_LOGGING_CATEGORY(lcActivities, "brimwell.activities", "Activities")

struct ActivityService::Entry {
    explicit Entry(Scheduler& scheduler)
        : doneTimeout(scheduler)
        , idleTimeout(scheduler)
        , showTask(scheduler)
    {
    }

    LiveActivity live;
    // What the views show: `live` as of the last show, at most 30 times a second.
    LiveActivity shown;
    DelayedTask doneTimeout;
    DelayedTask idleTimeout;
    DelayedTask showTask;
    std::optional<qint64> lastShownMs;
};

ActivityService::ActivityService(ActivityHost& host, Scheduler& scheduler, const Clock& clock, QObject* parent)
    : QObject(parent)
    , m_host(host)
    , m_scheduler(scheduler)
    , m_clock(clock)
    , m_tick(scheduler)
{
    m_host.setHandler(this);
    connect(&m_host, &ActivityHost::callerLeft, this, &ActivityService::callerLeft);
    // Countdowns and counters are wall-clock times: a set clock or a resume
    // moves them, and the timers aimed at them.
    connect(&WallClockEvents::system(), &WallClockEvents::wallClockChanged, this, [this] {
        for (const auto& entry : m_entries)
            armCountdown(*entry);
        refresh();
    });
}

ActivityService::~ActivityService()
{
    m_host.setHandler(nullptr);
}

void ActivityService::start()
{
    m_host.open();
}

qint64 ActivityService::nowMs() const
{
    return m_clock.now().toMSecsSinceEpoch();
}

ActivityService::Entry* ActivityService::find(quint32 id) const
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const auto& entry) { return entry->live.id == id; });
    return it == m_entries.end() ? nullptr : it->get();
}

const LiveActivity* ActivityService::activity(quint32 id) const
{
    const Entry* entry = find(id);
    return entry ? &entry->live : nullptr;
}

void ActivityService::setAllowed(bool allowed)
{
    if (m_allowed == allowed)
        return;
    m_allowed = allowed;
    qCInfo(lcActivities, "Live activities %s", allowed ? "allowed" : "turned off; ending every activity");
    if (!allowed) {
        while (!m_entries.empty())
            finish(m_entries.back()->live.id, ActivityEndReason::byUser);
    }
}

ActivityAnswer ActivityService::start(const QString& caller, const QString& appId, const QString& title, const QVariantMap& hints)
{
    const auto refuse = [&](ActivityRefusal refusal, const QString& message) {
        qCWarning(lcActivities, "Refused to start an activity for %s (%s): %s", qUtf8Printable(caller),
            qUtf8Printable(appId.left(ActivityHints::maxAppIdLength)), qUtf8Printable(message));
        return ActivityAnswer::refused(refusal, message);
    };
    if (!m_allowed)
        return refuse(ActivityRefusal::notAllowed, QStringLiteral("live activities are turned off in Brimwell's settings"));
    if (auto problem = ActivityHints::textProblem(appId, ActivityHints::maxAppIdLength, "appId"))
        return refuse(ActivityRefusal::invalid, *problem);
    if (auto problem = ActivityHints::textProblem(title, ActivityHints::maxTitleLength, "title"))
        return refuse(ActivityRefusal::invalid, *problem);
    const auto ofCaller
        = std::count_if(m_entries.begin(), m_entries.end(), [&](const auto& e) { return e->live.caller == caller; });
    if (ofCaller >= maxPerCaller)
        return refuse(ActivityRefusal::tooMany, QStringLiteral("at most %1 activities per caller").arg(maxPerCaller));
    if (int(m_entries.size()) >= maxInAll)
        return refuse(ActivityRefusal::tooMany, QStringLiteral("at most %1 activities in all").arg(maxInAll));

    auto entry = std::make_unique<Entry>(m_scheduler);
    LiveActivity& activity = entry->live;
    activity.caller = caller;
    activity.appId = appId;
    activity.title = title;
    QStringList unknown;
    if (auto problem = ActivityHints::apply(activity, hints, nowMs(), true, &unknown))
        return refuse(ActivityRefusal::invalid, *problem);
    noteUnknown(caller, unknown);
    // Ids are never reused while the program runs; 0 means none.
    activity.id = ++m_lastId;
    if (activity.owned)
        m_host.watchCaller(caller);
    const bool first = m_entries.empty();
    Entry& added = *m_entries.emplace_back(std::move(entry));
    qCInfo(lcActivities, "Activity %u started by %s (%s)%s", activity.id, qUtf8Printable(caller), qUtf8Printable(appId),
        activity.owned ? "" : ", not owned");
    touched(added);
    if (first)
        Q_EMIT hasActivitiesChanged();
    return ActivityAnswer::accepted(added.live.id);
}

std::optional<ActivityAnswer> ActivityService::refuseChange(const Entry* entry, const QString& caller, quint32 id) const
{
    if (!entry) {
        qCWarning(lcActivities, "%s asked for activity %u, which does not run", qUtf8Printable(caller), id);
        return ActivityAnswer::refused(ActivityRefusal::notFound, QStringLiteral("no activity %1 runs").arg(id));
    }
    if (entry->live.owned && entry->live.caller != caller) {
        qCWarning(
            lcActivities, "%s may not change activity %u of %s", qUtf8Printable(caller), id, qUtf8Printable(entry->live.caller));
        return ActivityAnswer::refused(
            ActivityRefusal::notAllowed, QStringLiteral("activity %1 belongs to another caller").arg(id));
    }
    return std::nullopt;
}

ActivityAnswer ActivityService::update(const QString& caller, quint32 id, const QVariantMap& hints)
{
    Entry* entry = find(id);
    if (auto refusal = refuseChange(entry, caller, id))
        return *refusal;
    QStringList unknown;
    if (auto problem = ActivityHints::apply(entry->live, hints, nowMs(), false, &unknown)) {
        qCWarning(
            lcActivities, "Refused an update of activity %u from %s: %s", id, qUtf8Printable(caller), qUtf8Printable(*problem));
        return ActivityAnswer::refused(ActivityRefusal::invalid, *problem);
    }
    noteUnknown(caller, unknown);
    touched(*entry);
    return ActivityAnswer::accepted(id);
}

ActivityAnswer ActivityService::end(const QString& caller, quint32 id)
{
    if (auto refusal = refuseChange(find(id), caller, id))
        return *refusal;
    finish(id, ActivityEndReason::byOwner);
    return ActivityAnswer::accepted(id);
}

QList<ActivitySummary> ActivityService::list() const
{
    QList<ActivitySummary> summaries;
    for (const auto& entry : m_entries)
        summaries.append({ entry->live.id, entry->live.appId, entry->live.title, entry->live.hints });
    return summaries;
}

void ActivityService::dismiss(int id)
{
    if (id > 0 && find(quint32(id)))
        finish(quint32(id), ActivityEndReason::byUser);
}

void ActivityService::invokeAction(int id, int index)
{
    const Entry* entry = id > 0 ? find(quint32(id)) : nullptr;
    if (!entry || index < 0 || index >= entry->live.actions.size())
        return;
    qCInfo(lcActivities, "Action %d of activity %u pressed", index, id);
    m_host.announceAction(quint32(id), entry->live.actions.at(index));
}

void ActivityService::finish(quint32 id, ActivityEndReason reason)
{
    const auto it = std::find_if(m_entries.begin(), m_entries.end(), [id](const auto& entry) { return entry->live.id == id; });
    if (it == m_entries.end())
        return;
    const QString caller = (*it)->live.caller;
    const bool wasOwned = (*it)->live.owned;
    m_entries.erase(it);
    qCInfo(lcActivities, "Activity %u ended (reason %u)", id, quint32(reason));
    if (wasOwned && std::none_of(m_entries.begin(), m_entries.end(), [&](const auto& entry) {
            return entry->live.owned && entry->live.caller == caller;
        }))
        m_host.unwatchCaller(caller);
    m_host.announceEnded(id, reason);
    refresh();
    if (m_entries.empty())
        Q_EMIT hasActivitiesChanged();
}

void ActivityService::callerLeft(const QString& caller)
{
    m_warnedCallers.remove(caller);
    QList<quint32> owned;
    for (const auto& entry : m_entries) {
        if (entry->live.owned && entry->live.caller == caller)
            owned.append(entry->live.id);
    }
    for (quint32 id : owned)
        finish(id, ActivityEndReason::ownerLeft);
}

void ActivityService::noteUnknown(const QString& caller, const QStringList& unknown)
{
    if (unknown.isEmpty() || m_warnedCallers.contains(caller))
        return;
    m_warnedCallers.insert(caller);
    qCWarning(lcActivities, "Ignoring unknown hints from %s: %s (said once per caller)", qUtf8Printable(caller),
        qUtf8Printable(unknown.join(QStringLiteral(", "))));
}

void ActivityService::armCountdown(Entry& entry)
{
    if (!entry.live.endsAtMs)
        return;
    const quint32 id = entry.live.id;
    const qint64 untilGone = *entry.live.endsAtMs + doneDuration.count() - nowMs();
    entry.doneTimeout.start(
        std::chrono::milliseconds(std::max<qint64>(untilGone, 0)), [this, id] { finish(id, ActivityEndReason::timedOut); });
}

void ActivityService::touched(Entry& entry)
{
    armCountdown(entry);
    if (!entry.live.owned) {
        const quint32 id = entry.live.id;
        entry.idleTimeout.start(unownedIdleLimit, [this, id] { finish(id, ActivityEndReason::timedOut); });
    }
    show(entry);
}

void ActivityService::show(Entry& entry)
{
    const qint64 now = m_scheduler.monotonicMs();
    if (entry.lastShownMs && now - *entry.lastShownMs < minShowInterval.count()) {
        if (!entry.showTask.isPending()) {
            entry.showTask.start(
                std::chrono::milliseconds(*entry.lastShownMs + minShowInterval.count() - now), [this, &entry] { show(entry); });
        }
        return;
    }
    entry.showTask.cancel();
    entry.lastShownMs = now;
    entry.shown = entry.live;
    refresh();
}

void ActivityService::refresh()
{
    const qint64 now = nowMs();
    QList<ActivityListModel::Row> rows;
    for (auto it = m_entries.rbegin(); it != m_entries.rend(); ++it) {
        const LiveActivity& a = (*it)->shown;
        const bool inCatalog = SymbolCatalog::codePoint(a.symbol) != 0;
        rows.append({ a.id, a.title, a.subtitle, inCatalog ? a.symbol : QString(),
            inCatalog || a.symbol.isEmpty() ? QString() : QStringLiteral("image://activityicon/") + a.symbol,
            a.accent.isEmpty() ? QColor(Qt::white) : QColor(a.accent), a.valueText(now), a.progress.has_value(),
            a.progress.value_or(0), a.isDone(now), a.actions });
    }
    m_model.update(rows);
    const ActivityListModel::Row compact = rows.isEmpty() ? ActivityListModel::Row {} : rows.first();
    if (!(compact == m_compact)) {
        m_compact = compact;
        Q_EMIT compactChanged();
    }
    scheduleTick();
}

void ActivityService::scheduleTick()
{
    const qint64 now = nowMs();
    std::optional<qint64> next;
    for (const auto& entry : m_entries) {
        if (const std::optional<qint64> due = entry->shown.untilTextChanges(now))
            next = std::min(next.value_or(*due), *due);
    }
    // A counter wakes the program once a second, when its text changes.
    if (next)
        m_tick.start(std::chrono::milliseconds(*next), [this] { refresh(); });
    else
        m_tick.cancel();
}
