#pragma once

#include "CalendarStore.h"
#include "DelayedTask.h"

#include <QThreadPool>

#include <map>
#include <memory>

struct _ESource;
struct _ESourceRegistry;
struct _GCancellable;

/// The desktop's calendars from Evolution Data Server: every enabled
/// calendar source of its registry (the local calendar and the online
/// accounts the desktop added), each in its own colour. Everything is
/// asynchronous on the GLib main context that Qt's event loop runs; the
/// events are expanded with libical on a worker thread. Without the
/// server there are no events, and one line in the log says so.
class EdsCalendarStore final : public CalendarStore {
    Q_OBJECT
public:
    /// The [Calendars] ownerEmails of the INI file `settingsPath` count as
    /// the user, besides each calendar's own address.
    explicit EdsCalendarStore(const QString& settingsPath, Scheduler& scheduler = Scheduler::system(), QObject* parent = nullptr);
    ~EdsCalendarStore() override;
    Q_DISABLE_COPY_MOVE(EdsCalendarStore)

    void start() override;
    void stop() override;
    void fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer) override;

    /// True once the registry answered and every source has been opened (or failed to).
    bool isReady() const { return m_state == State::ready; }

private:
    enum class State { stopped, connecting, ready, unavailable };
    struct Calendar;
    // The GLib callbacks, in the source file.
    struct Callbacks;
    friend struct Callbacks;

    void unavailable(const char* reason);
    void openSources();
    static void describe(Calendar& calendar, _ESource* source);
    void sourceOpened();
    void changedSoon();
    void teardown();

    QString m_settingsPath;
    State m_state = State::stopped;
    _GCancellable* m_cancellable = nullptr;
    _ESourceRegistry* m_registry = nullptr;
    std::map<QString, std::unique_ptr<Calendar>> m_calendars;
    int m_opening = 0;
    bool m_loggedUnavailable = false;
    DelayedTask m_quiet;
    QThreadPool m_pool;
};
