#include "ChildProcess.h"
#include "FileBookmark.h"
#include "PosixFileBookmark.h"
#include "PrivateXServer.h"
#include "TempDir.h"
#include "X11SelectionOwner.h"
#include "XdndDragSource.h"

#include <QElapsedTimer>
#include <QJsonObject>
#include <QSet>
#include <QSettings>
#include <QUrl>
#include <QUuid>

#include <gtest/gtest.h>

#include <poll.h>
#include <signal.h>
#include <sys/eventfd.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <memory>
#include <random>
#include <thread>
#include <tuple>

// The real program killed with SIGKILL right after a random one of the things
// it does to its files while it starts, loads and saves its clipboard
// history, shelf and settings, driven from outside as a user would: copies,
// drops on the island, clicks in the settings window. Every file must stay
// whole and be loaded again whole.
namespace {

// The program's own bounds on what it keeps.
constexpr int historyLimit = 20;
constexpr int shelfLimit = 30;
const QStringList paneValues { "general", "hud", "nowPlaying", "calendar", "quickDrop", "about" };

// Long, with characters JSON escapes, so that writing the history takes long
// enough for kills to land inside a write.
QString copiedText(int number)
{
    QString text = QStringLiteral("copy %1\n").arg(number);
    const QString line = QStringLiteral("Copy %1 goes on: \"quoted\", back\\slashed,\ttabbed, ünïcödé ✓\n").arg(number);
    while (text.size() < 40000)
        text += line;
    return text;
}

// One stored item: its id, and the copy number or the file it stands for.
struct Entry {
    QString id, payload;
    bool operator==(const Entry&) const = default;
};
struct State {
    QList<Entry> history, shelf;
    QString pane;
};
// What one run offered the program, in order.
struct Offered {
    QStringList copies, files, panes;
};

// Every settings key the test wrote, and its value: features the test does
// not need are off, so a start is cheap, and the padding makes a write long.
QVariantMap seededSettings()
{
    QVariantMap keys;
    for (const char* feature : { "showNowPlaying", "showCalendar", "showBattery", "showVolumeHUD", "showBrightnessHUD",
             "replaceSystemHUD", "showMenuBarIcon" })
        keys.insert(QString::fromLatin1(feature), "false");
    for (int i = 0; i < 800; ++i)
        keys.insert(
            QStringLiteral("Padding/key%1").arg(i, 4, 10, QLatin1Char('0')), QStringLiteral("value %1 ").arg(i).repeated(5));
    return keys;
}

// The stored list as entries, or why it is not one whole list; `payload`
// gives an entry's payload, or nothing when the entry is not whole.
QString readList(const QString& path, QList<Entry>& entries, const std::function<QString(const QJsonObject&)>& payload)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return "missing";
    const QByteArray bytes = file.readAll();
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(bytes, &error);
    if (error.error != QJsonParseError::NoError || !document.isArray())
        return QStringLiteral("is no array (%1 at %2 of %3 bytes)").arg(error.errorString()).arg(error.offset).arg(bytes.size());
    entries.clear();
    for (const QJsonValue& value : document.array()) {
        const QJsonObject object = value.toObject();
        // The program writes ids in capitals.
        const QUuid id = QUuid::fromString(object.value("id").toString());
        const QString item = payload(object);
        if (id.isNull() || item.isEmpty())
            return QStringLiteral("entry %1 is not whole").arg(entries.size());
        entries.append({ id.toString(QUuid::WithoutBraces), item });
    }
    return {};
}

// A list after a run: what the program took in during the run (each at most
// once, the latest first), then the list it loaded, up to the limit. Empty
// when it is so, else what is wrong.
QString followsFrom(const QList<Entry>& now, const QList<Entry>& before, const QStringList& offered, int limit)
{
    QSet<QString> known;
    for (const Entry& entry : before)
        known.insert(entry.id);
    qsizetype fresh = 0;
    QStringList earlier = offered;
    while (fresh < now.size() && !known.contains(now[fresh].id)) {
        const qsizetype offer = earlier.lastIndexOf(now[fresh].payload);
        earlier.resize(std::max<qsizetype>(offer, 0));
        if (offer < 0)
            return QStringLiteral("new entry %1 (%2) was not offered in this order").arg(fresh).arg(now[fresh].payload);
        ++fresh;
    }
    const qsizetype expected = std::min<qsizetype>(limit, fresh + before.size());
    if (now.size() != expected || now.mid(fresh) != before.mid(0, expected - fresh))
        return QStringLiteral("%1 new entries, then not the %2 loaded ones (%3 in all)")
            .arg(fresh)
            .arg(before.size())
            .arg(now.size());
    return {};
}

/// Counts what is done to the files of `folders` (each open, read, write,
/// close, rename and removal, as inotify reports it) and kills `pid` right
/// after the `at`-th. So the kills land inside loads and saves, where a file
/// can be caught half written, rather than between them. With `at` 0 it only
/// counts.
class KillAfterFileEvent {
public:
    KillAfterFileEvent(const QStringList& folders, pid_t pid, qint64 at)
        : m_events(inotify_init1(IN_CLOEXEC))
        , m_wake(eventfd(0, EFD_CLOEXEC))
    {
        for (const QString& folder : folders)
            EXPECT_GE(inotify_add_watch(m_events, QFile::encodeName(folder).constData(), IN_ALL_EVENTS), 0) << qPrintable(folder);
        m_thread = std::thread([this, pid, at] { count(pid, at); });
    }
    ~KillAfterFileEvent()
    {
        const uint64_t one = 1;
        std::ignore = ::write(m_wake, &one, sizeof one);
        m_thread.join();
        ::close(m_events);
        ::close(m_wake);
    }
    KillAfterFileEvent(const KillAfterFileEvent&) = delete;
    KillAfterFileEvent& operator=(const KillAfterFileEvent&) = delete;

    bool fired() const { return m_fired; }
    qint64 seen() const { return m_seen; }

private:
    void count(pid_t pid, qint64 at)
    {
        alignas(inotify_event) char buffer[64 * 1024];
        pollfd fds[] = { { m_events, POLLIN, 0 }, { m_wake, POLLIN, 0 } };
        while (::poll(fds, 2, -1) > 0 && !(fds[1].revents & POLLIN)) {
            const ssize_t size = ::read(m_events, buffer, sizeof buffer);
            for (ssize_t offset = 0; offset < size;) {
                offset += ssize_t(sizeof(inotify_event) + reinterpret_cast<const inotify_event*>(buffer + offset)->len);
                if (++m_seen == at) {
                    ::kill(pid, SIGKILL);
                    m_fired = true;
                }
            }
        }
    }

    int m_events, m_wake;
    std::atomic<qint64> m_seen { 0 };
    std::atomic<bool> m_fired { false };
    std::thread m_thread;
};

std::tuple<ino_t, off_t, qint64> fileStamp(const QString& path)
{
    struct stat st { };
    if (::stat(QFile::encodeName(path).constData(), &st) != 0)
        return {};
    return { st.st_ino, st.st_size, qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec };
}

class CrashSafetyTest : public TempDirTest {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(x.isRunning()) << "Xvfb did not start";
        // The pointer stays off the island: drags and clicks elsewhere act on it.
        x.movePointer(1100, 750);
        dragSource = x.createWindow();
    }
    QString dataFolder() const { return path("data/com.larkmoor.Brimwell"); }
    QString historyPath() const { return dataFolder() + "/clipboard-history.json"; }
    QString shelfPath() const { return dataFolder() + "/shelf.json"; }
    QString settingsPath() const { return path("config/com.larkmoor.Brimwell/settings.ini"); }
    QStringList folders() const { return { dataFolder(), path("config/com.larkmoor.Brimwell") }; }
    QList<std::tuple<ino_t, off_t, qint64>> stamps() const
    {
        return { fileStamp(historyPath()), fileStamp(shelfPath()), fileStamp(settingsPath()) };
    }

    QString userFile(const QString& name) { return writeFile("files/" + name, name.toUtf8()); }

    void seed()
    {
        const auto id = [] { return QUuid::createUuid().toString(QUuid::WithoutBraces); };
        QJsonArray history;
        for (; nextCopy < historyLimit; ++nextCopy)
            history.prepend(
                QJsonObject { { "id", id() }, { "text", copiedText(nextCopy) }, { "copiedAt", 786000000.0 + nextCopy } });
        QJsonArray shelf;
        for (int i = 0; i < 10; ++i) {
            const std::optional<QByteArray> bookmark = FileBookmark::make(userFile(QStringLiteral("seeded %1.txt").arg(i)));
            ASSERT_TRUE(bookmark);
            shelf.append(QJsonObject { { "id", id() }, { "bookmark", QString::fromLatin1(bookmark->toBase64()) },
                { "addedAt", 786000000.0 + i }, { "isTemporary", false } });
        }
        writeFile("data/com.larkmoor.Brimwell/clipboard-history.json", QJsonDocument(history).toJson(QJsonDocument::Compact));
        writeFile("data/com.larkmoor.Brimwell/shelf.json", QJsonDocument(shelf).toJson(QJsonDocument::Compact));
        QVariantMap keys = seededSettings();
        keys.insert("settingsSelectedPane", "general");
        ChildProcess::writeSettings(m_dir.path(), keys);
    }

    /// The three files as they are now; a failure says what is wrong with which.
    State readState()
    {
        State state;
        const QString history = readList(historyPath(), state.history, [](const QJsonObject& object) {
            const QString text = object.value("text").toString();
            bool ok = false;
            const int number = text.startsWith("copy ") ? text.mid(5, text.indexOf('\n') - 5).toInt(&ok) : 0;
            return ok && text == copiedText(number) && object.value("copiedAt").isDouble() ? QString::number(number) : QString();
        });
        EXPECT_TRUE(history.isEmpty()) << "clipboard-history.json " << history.toStdString();
        const QString shelf = readList(shelfPath(), state.shelf, [](const QJsonObject& object) {
            const auto bookmark = QByteArray::fromBase64Encoding(
                object.value("bookmark").toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
            const auto record = bookmark ? PosixFileBookmark::decode(*bookmark) : std::nullopt;
            return record && object.value("addedAt").isDouble() && object.value("isTemporary").isBool()
                ? QString::fromUtf8(record->path)
                : QString();
        });
        EXPECT_TRUE(shelf.isEmpty()) << "shelf.json " << shelf.toStdString();
        const QSettings settings(settingsPath(), QSettings::IniFormat);
        EXPECT_GT(QFileInfo(settingsPath()).size(), 0) << "settings.ini is missing or empty";
        EXPECT_EQ(settings.status(), QSettings::NoError) << "settings.ini does not read";
        const QVariantMap seeded = seededSettings();
        for (auto it = seeded.cbegin(); it != seeded.cend(); ++it) {
            if (settings.value(it.key()) != it.value()) {
                ADD_FAILURE() << "settings.ini lost " << it.key().toStdString();
                break;
            }
        }
        state.pane = settings.value("settingsSelectedPane").toString();
        EXPECT_TRUE(paneValues.contains(state.pane)) << "settings.ini holds the pane " << state.pane.toStdString();
        return state;
    }

    /// Waits for the program to end as `expected` (its own way after
    /// terminate(), or the kill), then checks that each file is whole and
    /// either as in `state` or a later save of what the program had loaded,
    /// with nothing put aside as unreadable; `state` becomes what they hold.
    void endRun(QProcess::ExitStatus expected, State& state, const Offered& offered)
    {
        program.waitForFinished(10000);
        ASSERT_EQ(program.state(), QProcess::NotRunning);
        if (expected == QProcess::CrashExit)
            reopener.kill();
        reopener.waitForFinished(5000);
        program.log += program.readAllStandardError();
        EXPECT_EQ(program.exitStatus(), expected) << program.log.constData();
        EXPECT_TRUE(expected == QProcess::CrashExit || program.exitCode() == 0) << program.log.constData();
        const State now = readState();
        const QString history = followsFrom(now.history, state.history, offered.copies, historyLimit);
        EXPECT_TRUE(history.isEmpty()) << "clipboard-history.json: " << history.toStdString();
        const QString shelf = followsFrom(now.shelf, state.shelf, offered.files, shelfLimit);
        EXPECT_TRUE(shelf.isEmpty()) << "shelf.json: " << shelf.toStdString();
        EXPECT_TRUE(now.pane == state.pane || offered.panes.contains(now.pane))
            << "settings.ini: pane " << now.pane.toStdString() << " was neither stored nor chosen";
        EXPECT_EQ(QDir(dataFolder()).entryList({ "*.corrupt*" }, QDir::Files), QStringList());
        for (const char* complaint : { "Unable to read", "Unable to save", "Unable to write" })
            EXPECT_FALSE(program.log.contains(complaint)) << "the log says \"" << complaint << "\"";
        EXPECT_FALSE(HasFailure()) << program.log.constData();
        state = now;
    }

    /// Acts on the program as a user would until `stop` holds: offers copies,
    /// drops new files on the island, and once its settings window shows
    /// (asked for by a second launch), clicks one pane after another.
    /// False when the island never showed.
    bool drive(const std::function<bool()>& stop, Offered& offered, QString pane)
    {
        if (!program.logShows("Island placed on", 20000) || stop())
            return false;
        xcb_window_t panel = 0;
        if (!x.waitFor([&] { return stop() || (panel = x.findWindow("Brimwell Island", program.processId())) != 0; }, 10000)
            || stop())
            return false;
        reopener.launch(program.processEnvironment());
        std::unique_ptr<X11SelectionOwner> copy;
        QElapsedTimer copyAge;
        xcb_window_t settings = 0;
        while (!stop()) {
            // A copy made before the program watched the clipboard is never
            // looked at: after a beat and more, another.
            if (!copy || copy->requests() >= 2 || copyAge.hasExpired(1000)) {
                copy.reset();
                offered.copies << QString::number(nextCopy);
                copy = std::make_unique<X11SelectionOwner>(
                    x.display().toLatin1(), QMap<QByteArray, QByteArray> { { "UTF8_STRING", copiedText(nextCopy++).toUtf8() } });
                copyAge.start();
            }
            const QString file = userFile(QStringLiteral("dropped %1.txt").arg(nextFile++));
            offered.files << file;
            XdndDragSource::drop(
                x, panel, dragSource, { { "text/uri-list", QUrl::fromLocalFile(file).toEncoded() + "\r\n" } }, stop);
            if (!settings)
                settings = x.findWindow("Brimwell Settings", program.processId());
            if (settings && x.isViewable(settings)) {
                // Rows left of where the open island reaches.
                pane = paneValues[(paneValues.indexOf(pane) + 1) % paneValues.size()];
                offered.panes << pane;
                const QRect frame = x.geometry(settings);
                x.movePointer(frame.x() + 20, frame.y() + 12 + 30 * int(paneValues.indexOf(pane)) + 15);
                x.click();
            }
            const auto before = stamps();
            x.waitFor([&] { return stop() || stamps() != before; }, 1000);
            // Read as it comes, so that the program never waits on a full pipe.
            program.waitForReadyRead(0);
            program.log += program.readAllStandardError();
        }
        return true;
    }

    /// A run to its end: every file is saved again from what was loaded, and
    /// the program quits cleanly. Returns how many file events it took for the
    /// three saves to land.
    qint64 wholeRun(State& state)
    {
        QElapsedTimer clock;
        clock.start();
        // No session bus: a second launch reaches the first through its socket.
        program.launch(ChildProcess::x11Environment(m_dir.path(), x.display()));
        const KillAfterFileEvent counter(folders(), pid_t(program.processId()), 0);
        Offered offered;
        const auto initial = stamps();
        const auto allSaved = [&] {
            const auto now = stamps();
            return now[0] != initial[0] && now[1] != initial[1] && now[2] != initial[2];
        };
        // Driven until all three are saved, or given up on after 30 s.
        EXPECT_TRUE(drive([&] { return allSaved() || clock.hasExpired(30000); }, offered, state.pane)) << program.log.constData();
        const qint64 events = counter.seen();
        EXPECT_TRUE(allSaved()) << "not all three files were saved: " << program.log.constData();
        program.terminate();
        endRun(QProcess::NormalExit, state, offered);
        return events;
    }

    PrivateXServer x;
    xcb_window_t dragSource = 0;
    ChildProcess::Brimwell program;
    ChildProcess::Brimwell reopener;
    int nextCopy = 0;
    int nextFile = 0;
};

} // namespace

TEST_F(CrashSafetyTest, FilesStayWholeAndLoadAgainWhenKilledAtAnyMoment)
{
    const int kills = qEnvironmentVariableIsSet("BRIMWELL_KILLS") ? qEnvironmentVariableIntValue("BRIMWELL_KILLS") : 200;
    const quint32 rngSeed
        = qEnvironmentVariableIsSet("BRIMWELL_SEED") ? qgetenv("BRIMWELL_SEED").toUInt() : std::random_device()();
    SCOPED_TRACE("BRIMWELL_SEED=" + std::to_string(rngSeed));
    std::mt19937 random(rngSeed);
    ASSERT_NO_FATAL_FAILURE(seed());
    State state = readState();

    // A whole run first: each input really saves its file, and how many file
    // events the three take to land sets the range the kills fall in.
    const qint64 allSavedEvents = wholeRun(state);
    ASSERT_FALSE(HasFailure());
    const qint64 range = qEnvironmentVariableIsSet("BRIMWELL_KILL_EVENTS") ? qEnvironmentVariableIntValue("BRIMWELL_KILL_EVENTS")
                                                                           : allSavedEvents * 5 / 4;
    // With the seed, replays the same kill points.
    SCOPED_TRACE("BRIMWELL_KILL_EVENTS=" + std::to_string(range));
    ASSERT_GT(range, 0) << "the program did nothing to its files";
    std::uniform_int_distribution<qint64> pick(1, range);

    int done = 0;
    for (int killNumber = 1; killNumber <= kills && !HasFailure(); done = killNumber++) {
        const qint64 at = pick(random);
        SCOPED_TRACE("kill " + std::to_string(killNumber) + " after file event " + std::to_string(at));
        program.launch(ChildProcess::x11Environment(m_dir.path(), x.display()));
        const qint64 pid = program.processId();
        ASSERT_GT(pid, 0) << "the program did not start";
        Offered run;
        {
            const KillAfterFileEvent killer(folders(), pid_t(pid), at);
            drive([&] { return killer.fired(); }, run, state.pane);
        }
        endRun(QProcess::CrashExit, state, run);
    }

    // A last whole run: everything kept so far is loaded and saved again.
    if (!HasFailure())
        wholeRun(state);
    RecordProperty("summary",
        QString::asprintf("%d kills (after one of %lld file events, seed %u)", done, qlonglong(range), rngSeed).toStdString());
}
