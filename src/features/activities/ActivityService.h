#pragma once

#include "ActivityHost.h"
#include "ActivityListModel.h"
#include "DelayedTask.h"
#include "LiveActivity.h"

#include <QColor>
#include <QObject>
#include <QSet>
#include <QtQml/qqmlregistration.h>

#include <chrono>
#include <memory>
#include <vector>

class Clock;

/// The live activities other programs post: their limits and lifetimes, the
/// list the open island shows and what the closed island shows of the
/// newest. Answers the requests the activity host receives; tells it of
/// every end and every pressed action. Ticks only while an activity counts
/// time on screen, once a second on the wall clock's second.
class ActivityService final : public QObject, public ActivityHost::Handler {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Made by the application")

    /// At least one activity runs (and activities are allowed).
    Q_PROPERTY(bool hasActivities READ hasActivities NOTIFY hasActivitiesChanged FINAL)
    /// The running activities, newest first.
    Q_PROPERTY(ActivityListModel* rows READ rows CONSTANT FINAL)
    /// The newest activity's symbol, for the closed island's leading side.
    Q_PROPERTY(QString compactSymbol READ compactSymbol NOTIFY compactChanged FINAL)
    /// The newest activity's theme icon, when its symbol is not the catalog's.
    Q_PROPERTY(QString compactIconSource READ compactIconSource NOTIFY compactChanged FINAL)
    /// The newest activity's countdown, counter or percentage.
    Q_PROPERTY(QString compactText READ compactText NOTIFY compactChanged FINAL)
    /// The newest activity's accent; white without one.
    Q_PROPERTY(QColor compactAccent READ compactAccent NOTIFY compactChanged FINAL)

public:
    static constexpr int maxPerCaller = 8;
    static constexpr int maxInAll = 32;
    /// How long a finished countdown shows "Done".
    static constexpr std::chrono::milliseconds doneDuration { 10'000 };
    /// An activity nobody owns ends after this long without an update.
    static constexpr std::chrono::milliseconds unownedIdleLimit { 3'600'000 };
    /// Updates closer together than this are shown together (at most 30 a second).
    static constexpr std::chrono::milliseconds minShowInterval { 34 };

    ActivityService(ActivityHost& host, Scheduler& scheduler, const Clock& clock, QObject* parent = nullptr);
    ~ActivityService() override;
    Q_DISABLE_COPY_MOVE(ActivityService)

    /// Opens the host to callers.
    void start();
    /// The user's switch. Off ends every activity (by the user) and refuses
    /// new ones.
    void setAllowed(bool allowed);
    bool isAllowed() const { return m_allowed; }

    ActivityAnswer start(const QString& caller, const QString& appId, const QString& title, const QVariantMap& hints) override;
    ActivityAnswer update(const QString& caller, quint32 id, const QVariantMap& hints) override;
    ActivityAnswer end(const QString& caller, quint32 id) override;
    QList<ActivitySummary> list() const override;

    /// The close button: ends the activity as the user's choice.
    Q_INVOKABLE void dismiss(int id);
    /// One of the activity's buttons, by its place in the actions.
    Q_INVOKABLE void invokeAction(int id, int index);

    bool hasActivities() const { return !m_entries.empty(); }
    ActivityListModel* rows() { return &m_model; }
    QString compactSymbol() const { return m_compact.symbol; }
    QString compactIconSource() const { return m_compact.iconSource; }
    QString compactText() const { return m_compact.valueText; }
    QColor compactAccent() const { return m_compact.accent; }
    /// The activity with `id`, if it runs.
    const LiveActivity* activity(quint32 id) const;

Q_SIGNALS:
    void hasActivitiesChanged();
    void compactChanged();

private:
    struct Entry;

    Entry* find(quint32 id) const;
    std::optional<ActivityAnswer> refuseChange(const Entry* entry, const QString& caller, quint32 id) const;
    void finish(quint32 id, ActivityEndReason reason);
    void callerLeft(const QString& caller);
    void noteUnknown(const QString& caller, const QStringList& unknown);
    // A countdown's end moved, or the wall clock did.
    void armCountdown(Entry& entry);
    // The caller started or changed the entry.
    void touched(Entry& entry);
    // Shows the entry's state now, or at the end of its show interval.
    void show(Entry& entry);
    void refresh();
    void scheduleTick();
    qint64 nowMs() const;

    ActivityHost& m_host;
    Scheduler& m_scheduler;
    const Clock& m_clock;
    ActivityListModel m_model;
    ActivityListModel::Row m_compact;
    // Oldest first.
    std::vector<std::unique_ptr<Entry>> m_entries;
    DelayedTask m_tick;
    QSet<QString> m_warnedCallers;
    quint32 m_lastId = 0;
    bool m_allowed = true;
};
