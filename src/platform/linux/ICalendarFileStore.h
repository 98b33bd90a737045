#pragma once

#include "CalendarStore.h"
#include "DelayedTask.h"

#include <QFileSystemWatcher>
#include <QThreadPool>

#include <memory>

/// Events from iCalendar files: the vdir folders under
/// $XDG_DATA_HOME/calendars (one .ics per event, as vdirsyncer and khal keep
/// them; a folder's `color` file colours its events) and the folders and
/// .ics files listed in the settings file under [Calendars] paths. Files
/// are read and expanded on a worker thread and kept parsed until they
/// change; a change in a watched folder reloads once things are quiet.
class ICalendarFileStore final : public CalendarStore {
    Q_OBJECT
public:
    /// How long the folders must stay quiet before a change is announced,
    /// so a sync writing fifty files causes one reload.
    static constexpr auto quietPeriod = std::chrono::milliseconds(500);

    /// Reads the vdir folders under `calendarsFolder` and the [Calendars]
    /// keys `paths` and `ownerEmails` of the INI file `settingsPath`.
    ICalendarFileStore(const QString& calendarsFolder, const QString& settingsPath, Scheduler& scheduler = Scheduler::system(),
        QObject* parent = nullptr);
    ~ICalendarFileStore() override;
    Q_DISABLE_COPY_MOVE(ICalendarFileStore)

    /// $XDG_DATA_HOME/calendars.
    static QString standardFolder();

    void start() override;
    void stop() override;
    void fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer) override;

    struct Cache;

private:
    void watch(const QStringList& folders);

    QString m_calendarsFolder;
    QString m_settingsPath;
    // Only the worker touches the cache; the pool has one thread, so loads run one at a time.
    std::shared_ptr<Cache> m_cache;
    QThreadPool m_pool;
    QFileSystemWatcher m_watcher;
    DelayedTask m_quiet;
    bool m_isRunning = false;
};
