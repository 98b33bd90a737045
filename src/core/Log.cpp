#include "Log.h"

#include "AppInfo.h"

#include <QByteArray>
#include <QFileInfo>
#include <QMutex>

#include <cstdio>
#include <cstring>
#include <optional>

#ifdef BRIMWELL_HAVE_JOURNAL
#include <syslog.h>
#include <systemd/sd-journal.h>
#endif

Q_LOGGING_CATEGORY(lcApp, "App")
Q_LOGGING_CATEGORY(lcIsland, "Island")
Q_LOGGING_CATEGORY(lcCalendar, "Calendar")
Q_LOGGING_CATEGORY(lcClipboard, "Clipboard")
Q_LOGGING_CATEGORY(lcNowPlaying, "NowPlaying")
Q_LOGGING_CATEGORY(lcHUD, "HUD")
Q_LOGGING_CATEGORY(lcShelf, "Shelf")

namespace Log {

namespace {
QtMessageHandler qtHandler = nullptr;

std::optional<Category> categoryNamed(const char* name)
{
    if (!name)
        return std::nullopt;
    for (Category c : { Category::app, Category::island, Category::calendar, Category::clipboard, Category::nowPlaying,
             Category::hud, Category::shelf }) {
        if (std::strcmp(name, categoryName(c)) == 0)
            return c;
    }
    return std::nullopt;
}

// Qt has no "default" level between info and error; a warning stands for it.
Level levelOf(QtMsgType type)
{
    switch (type) {
    case QtDebugMsg:
        return Level::debug;
    case QtInfoMsg:
        return Level::info;
    case QtWarningMsg:
        return Level::defaultLevel;
    case QtCriticalMsg:
    case QtFatalMsg:
        return Level::error;
    }
    return Level::defaultLevel;
}

void handleMessage(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    const std::optional<Category> category = categoryNamed(context.category);
    if (!category || type == QtFatalMsg) {
        if (qtHandler)
            qtHandler(type, context, message);
        return;
    }
    write(*category, levelOf(type), message);
}

QMutex sinkMutex;
Sink& sinkRef()
{
    static Sink sink;
    return sink;
}

bool useJournal()
{
#ifdef BRIMWELL_HAVE_JOURNAL
    // BRIMWELL_LOG=stderr forces plain lines (tests and terminals).
    static const bool journal
        = qgetenv("BRIMWELL_LOG") != "stderr" && QFileInfo::exists(QStringLiteral("/run/systemd/journal/socket"));
    return journal;
#else
    return false;
#endif
}

#ifdef BRIMWELL_HAVE_JOURNAL
int priority(Level level)
{
    switch (level) {
    case Level::debug:
        return LOG_DEBUG;
    case Level::info:
        return LOG_INFO;
    case Level::defaultLevel:
        return LOG_NOTICE;
    case Level::error:
        return LOG_ERR;
    }
    return LOG_NOTICE;
}
#endif
} // namespace

const char* categoryName(Category category)
{
    switch (category) {
    case Category::app:
        return "App";
    case Category::island:
        return "Island";
    case Category::calendar:
        return "Calendar";
    case Category::clipboard:
        return "Clipboard";
    case Category::nowPlaying:
        return "NowPlaying";
    case Category::hud:
        return "HUD";
    case Category::shelf:
        return "Shelf";
    }
    return "App";
}

const char* levelName(Level level)
{
    switch (level) {
    case Level::debug:
        return "debug";
    case Level::info:
        return "info";
    case Level::defaultLevel:
        return "default";
    case Level::error:
        return "error";
    }
    return "default";
}

QString subsystem()
{
    static const QString value = [] {
        const auto id = AppInfo::main().identifier();
        return id && !id->isEmpty() ? *id : QStringLiteral("com.larkmoor.Brimwell");
    }();
    return value;
}

QString formatLine(const Entry& entry)
{
    return QStringLiteral("%1[%2] %3: %4")
        .arg(entry.subsystem, QLatin1String(categoryName(entry.category)), QLatin1String(levelName(entry.level)), entry.message);
}

void installMessageHandler()
{
    static const bool installed = [] {
        qtHandler = qInstallMessageHandler(handleMessage);
        return true;
    }();
    Q_UNUSED(installed);
}

void setSink(Sink sink)
{
    QMutexLocker lock(&sinkMutex);
    sinkRef() = std::move(sink);
}

void write(Category category, Level level, const QString& message)
{
    const Entry entry { subsystem(), category, level, message };
    {
        QMutexLocker lock(&sinkMutex);
        if (sinkRef()) {
            sinkRef()(entry);
            return;
        }
    }
#ifdef BRIMWELL_HAVE_JOURNAL
    if (useJournal()) {
        const QByteArray text = message.toUtf8();
        const QByteArray sub = entry.subsystem.toUtf8();
        sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%i", priority(level), "SYSLOG_IDENTIFIER=brimwell",
            "BRIMWELL_SUBSYSTEM=%s", sub.constData(), "BRIMWELL_CATEGORY=%s", categoryName(category), nullptr);
        return;
    }
#endif
    const QByteArray line = formatLine(entry).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

} // namespace Log
