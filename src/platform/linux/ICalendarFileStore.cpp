#include "ICalendarFileStore.h"

#include "ICalendarFile.h"
#include "PlatformLog.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPointer>
#include <QSet>
#include <QSettings>
#include <QStandardPaths>

namespace {

// How deep under a listed folder .ics files are looked for.
constexpr int maxDepth = 3;

struct Loaded {
    QList<CalendarStoreEvent> events;
    QStringList folders;
};

} // namespace

struct ICalendarFileStore::Cache {
    struct Entry {
        QDateTime modified;
        qint64 size = -1;
        std::shared_ptr<ICalendarFile> file;
    };
    QHash<QString, Entry> files;
    // Listed paths found missing, so a missing one is logged once, not on every load.
    QSet<QString> missing;
    bool loggedNoSources = false;

    // The parsed file at `path`, read again only when it changed.
    std::shared_ptr<ICalendarFile> file(const QFileInfo& info)
    {
        Entry& entry = files[info.filePath()];
        if (entry.file && entry.modified == info.lastModified() && entry.size == info.size())
            return entry.file;
        entry.modified = info.lastModified();
        entry.size = info.size();
        entry.file = std::make_shared<ICalendarFile>();
        if (info.size() > ICalendarFile::maxSize) {
            qCWarning(lcPlatformCalendar, "Skipped %s: %lld bytes, more than the %lld a calendar file may have",
                qUtf8Printable(info.filePath()), info.size(), ICalendarFile::maxSize);
            return entry.file;
        }
        QFile f(info.filePath());
        if (!f.open(QIODevice::ReadOnly)) {
            qCWarning(
                lcPlatformCalendar, "Could not read %s: %s", qUtf8Printable(info.filePath()), qUtf8Printable(f.errorString()));
            return entry.file;
        }
        *entry.file = ICalendarFile::parse(f.read(ICalendarFile::maxSize), info.filePath());
        return entry.file;
    }

    // A folder's `color` file, e.g. "#3a87ad".
    static QColor folderColor(const QString& folder)
    {
        QFile f(folder + QStringLiteral("/color"));
        if (!f.open(QIODevice::ReadOnly))
            return {};
        return ICalendarFile::parseColor(QString::fromUtf8(f.read(64)));
    }

    void collect(const QString& folder, int depth, const QDateTime& start, const QDateTime& end, const QStringList& owners,
        Loaded& loaded, QSet<QString>& seen)
    {
        loaded.folders.append(folder);
        const QColor color = folderColor(folder);
        const QDir dir(folder);
        for (const QFileInfo& info : dir.entryInfoList(QDir::Files | QDir::Readable, QDir::Name)) {
            if (info.suffix().compare(QLatin1String("ics"), Qt::CaseInsensitive) != 0)
                continue;
            seen.insert(info.filePath());
            const std::shared_ptr<ICalendarFile> file = this->file(info);
            loaded.events.append(file->occurrences(start, end, owners, color.isValid() ? color : file->color()));
        }
        if (depth >= maxDepth)
            return;
        for (const QFileInfo& sub : dir.entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Readable, QDir::Name))
            collect(sub.filePath(), depth + 1, start, end, owners, loaded, seen);
    }

    Loaded load(const QString& calendarsFolder, const QString& settingsPath, const QDateTime& start, const QDateTime& end)
    {
        QSettings settings(settingsPath, QSettings::IniFormat);
        const QStringList listed = settings.value(QStringLiteral("Calendars/paths")).toStringList();
        QStringList owners = settings.value(QStringLiteral("Calendars/ownerEmails")).toStringList();
        for (QString& owner : owners)
            owner = owner.trimmed();

        Loaded loaded;
        QSet<QString> seen;
        if (QFileInfo(calendarsFolder).isDir())
            collect(calendarsFolder, 0, start, end, owners, loaded, seen);
        for (const QString& raw : listed) {
            QString path = raw.trimmed();
            if (path.startsWith(QLatin1String("~/")))
                path = QDir::homePath() + path.mid(1);
            path = QDir::cleanPath(path);
            const QFileInfo info(path);
            if (!info.exists()) {
                if (!missing.contains(path))
                    qCWarning(lcPlatformCalendar, "Calendar path %s from the settings does not exist", qUtf8Printable(path));
                missing.insert(path);
                continue;
            }
            missing.remove(path);
            if (info.isDir()) {
                collect(path, 0, start, end, owners, loaded, seen);
            } else {
                seen.insert(info.filePath());
                loaded.folders.append(info.path());
                const std::shared_ptr<ICalendarFile> file = this->file(info);
                loaded.events.append(file->occurrences(start, end, owners, file->color()));
            }
        }
        // Files that are gone (a folder removed, an event deleted) leave the cache.
        for (auto it = files.begin(); it != files.end();)
            it = seen.contains(it.key()) ? std::next(it) : files.erase(it);
        if (seen.isEmpty() && !loggedNoSources) {
            qCInfo(lcPlatformCalendar, "No iCalendar files in %s or the settings' [Calendars] paths",
                qUtf8Printable(calendarsFolder));
            loggedNoSources = true;
        } else if (!seen.isEmpty()) {
            loggedNoSources = false;
        }
        return loaded;
    }
};

ICalendarFileStore::ICalendarFileStore(
    const QString& calendarsFolder, const QString& settingsPath, Scheduler& scheduler, QObject* parent)
    : CalendarStore(parent)
    , m_calendarsFolder(calendarsFolder)
    , m_settingsPath(settingsPath)
    , m_cache(std::make_shared<Cache>())
    , m_quiet(scheduler)
{
    m_pool.setMaxThreadCount(1);
    const auto changed = [this] {
        if (!m_isRunning)
            return;
        m_quiet.start(quietPeriod, [this] { Q_EMIT this->changed(); });
    };
    connect(&m_watcher, &QFileSystemWatcher::directoryChanged, this, changed);
    connect(&m_watcher, &QFileSystemWatcher::fileChanged, this, changed);
}

ICalendarFileStore::~ICalendarFileStore()
{
    m_pool.clear();
    m_pool.waitForDone();
}

QString ICalendarFileStore::standardFolder()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + QStringLiteral("/calendars");
}

void ICalendarFileStore::start()
{
    m_isRunning = true;
}

void ICalendarFileStore::stop()
{
    m_isRunning = false;
    m_quiet.cancel();
    watch({});
}

void ICalendarFileStore::watch(const QStringList& folders)
{
    QStringList wanted = folders;
    // Where the calendars folder would appear, so a first sync is seen.
    const QFileInfo root(m_calendarsFolder);
    if (m_isRunning && !root.isDir() && root.dir().exists())
        wanted.append(root.dir().path());
    wanted.removeDuplicates();
    const QStringList current = m_watcher.directories();
    if (!m_isRunning)
        wanted.clear();
    const QSet<QString> want(wanted.begin(), wanted.end());
    const QSet<QString> have(current.begin(), current.end());
    const QStringList gone = QSet<QString>(have).subtract(want).values();
    const QStringList added = QSet<QString>(want).subtract(have).values();
    if (!gone.isEmpty())
        m_watcher.removePaths(gone);
    if (!added.isEmpty())
        m_watcher.addPaths(added);
}

void ICalendarFileStore::fetchEvents(const QDateTime& start, const QDateTime& end, QObject* context, Answer answer)
{
    QPointer<QObject> guard(context);
    m_pool.start([store = this, guard, cache = m_cache, folder = m_calendarsFolder, settings = m_settingsPath, start, end,
                     answer = std::move(answer)]() mutable {
        Loaded loaded = cache->load(folder, settings, start, end);
        // The store waits for this thread before it goes, and an answer
        // posted to it dies with it; `guard` is read on the GUI thread.
        QMetaObject::invokeMethod(
            store,
            [store, guard, loaded = std::move(loaded), answer = std::move(answer)]() mutable {
                if (!guard)
                    return;
                store->watch(loaded.folders);
                answer(std::move(loaded.events));
            },
            Qt::QueuedConnection);
    });
}
