#pragma once

#include "CalendarEvent.h"
#include "Clock.h"
#include "DelayedTask.h"
#include "Scheduler.h"
#include "WallClockEvents.h"

#include <QDateTime>
#include <QList>
#include <QMap>
#include <QObject>
#include <QtQml/qqmlregistration.h>

#include <functional>
#include <optional>

class CalendarStore;
class UserDefaults;

/// The user's events for the Calendar tab: today's list (at most three, in
/// today's order) and one month by day. Shows nothing until the user allowed
/// it; that consent lives in the settings file under [Calendars] access.
/// Reloads when the store changes, the day changes, the machine wakes and
/// one second after the next of today's events ends. Main thread only.
class CalendarService final : public QObject {
    Q_OBJECT
    QML_ELEMENT
    QML_UNCREATABLE("Created by the application")
    /// Whether the user allowed the island to show their events.
    Q_PROPERTY(CalendarAccesses::CalendarAccess access READ access NOTIFY accessChanged FINAL)
public:
    using MonthEvents = QMap<QDateTime, QList<CalendarEvent>>;
    struct MonthInterval {
        QDateTime start; ///< the month's first instant
        QDateTime end; ///< the next month's first instant
        bool operator==(const MonthInterval&) const = default;
    };

    /// The settings key that keeps the user's answer: "granted" or "denied".
    static QString accessKey() { return QStringLiteral("Calendars/access"); }
    /// How many of today's events are shown.
    static constexpr int todayLimit = 3;

    /// Reads `store`; the consent is kept in `defaults`.
    CalendarService(CalendarStore& store, UserDefaults& defaults, Scheduler& scheduler = Scheduler::system(),
        Clock& clock = Clock::system(), WallClockEvents& wallClock = WallClockEvents::system(), QObject* parent = nullptr);
    ~CalendarService() override;
    Q_DISABLE_COPY_MOVE(CalendarService)

    /// Starts following the store (reading it only once access is granted); idempotent.
    void start();
    /// Stops following the store and empties both lists; idempotent.
    void stop();
    bool isRunning() const { return m_isRunning; }

    CalendarAccess access() const { return m_access; }
    /// Today's events, at most three, in today's order.
    const QList<CalendarEvent>& todayEvents() const { return m_todayEvents; }
    /// The loaded month's events by the start of their days.
    const MonthEvents& monthEvents() const { return m_monthEvents; }
    const std::optional<MonthInterval>& loadedMonth() const { return m_loadedMonth; }
    /// True while today's reload one second after the next end is pending.
    bool hasRefreshTask() const { return m_refreshTask.isPending(); }

    /// Reads the stored consent again; reloads when it changed.
    Q_INVOKABLE void refreshAccess();
    /// The user allowed access: stores it and loads the events.
    Q_INVOKABLE void requestAccess();
    /// The user took access back: stores it and empties the lists.
    Q_INVOKABLE void withdrawAccess();
    /// Where the user turns access back on.
    Q_INVOKABLE void openPrivacySettings();
    /// Makes monthEvents() cover the month containing `date`; no reload for the month already loaded.
    Q_INVOKABLE void loadMonth(const QDateTime& date);

    /// The local calendar month containing `date`.
    static MonthInterval monthInterval(const QDateTime& date);
    /// Today's order, stable, over every event of the day.
    static void sortToday(QList<CalendarEvent>& events, const QDateTime& now);
    /// `events` of the month listed under each local day they touch inside it.
    static MonthEvents groupByDay(const QList<CalendarEvent>& events, const MonthInterval& month);

    /// Where openPrivacySettings() leads; until set it only logs.
    void setPrivacySettingsOpener(std::function<void()> open) { m_openPrivacySettings = std::move(open); }

Q_SIGNALS:
    void accessChanged();
    void todayEventsChanged();
    void monthEventsChanged();

private:
    CalendarAccess storedAccess() const;
    void publishAccess(CalendarAccess access);
    /// Starts the store while running with access granted, stops it otherwise.
    void followStore();
    void reloadAll();
    void reloadToday();
    void reloadMonth();
    void publishToday(QList<CalendarEvent> events);
    void publishMonth(MonthEvents events);
    void scheduleTodayRefresh(const QDateTime& now, const QDateTime& dayEnd, const QList<CalendarEvent>& events);
    void scheduleDayChange();
    QList<CalendarEvent> shownEvents(const QList<CalendarStoreEvent>& stored) const;

    CalendarStore& m_store;
    UserDefaults& m_defaults;
    Clock& m_clock;
    WallClockEvents& m_wallClock;
    CalendarAccess m_access;
    QList<CalendarEvent> m_todayEvents;
    MonthEvents m_monthEvents;
    QList<QMetaObject::Connection> m_observers;
    DelayedTask m_refreshTask;
    DelayedTask m_dayChangeTask;
    std::optional<MonthInterval> m_loadedMonth;
    bool m_isRunning = false;
    bool m_isFollowingStore = false;
    // A newer load of the same list makes the answers of older ones stale.
    quint64 m_todayGeneration = 0;
    quint64 m_monthGeneration = 0;
    std::function<void()> m_openPrivacySettings;
};
