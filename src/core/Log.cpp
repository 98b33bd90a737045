#include "Log.h"

#include "AppBundle.h"

#include <QByteArray>
#include <QFileInfo>
#include <QMutex>

#include <cstdio>

#ifdef BRIMWELL_HAVE_JOURNAL
#include <syslog.h>
#include <systemd/sd-journal.h>
#endif

namespace Log {

namespace {
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
    static const bool journal = qgetenv("BRIMWELL_LOG") != "stderr"
        && QFileInfo::exists(QStringLiteral("/run/systemd/journal/socket"));
    return journal;
#else
    return false;
#endif
}

#ifdef BRIMWELL_HAVE_JOURNAL
int priority(Level level)
{
    switch (level) {
    case Level::debug: return LOG_DEBUG;
    case Level::info: return LOG_INFO;
    case Level::defaultLevel: return LOG_NOTICE;
    case Level::error: return LOG_ERR;
    }
    return LOG_NOTICE;
}
#endif
} // namespace

const char* categoryName(Category category)
{
    switch (category) {
    case Category::app: return "App";
    case Category::island: return "Island";
    case Category::calendar: return "Calendar";
    case Category::clipboard: return "Clipboard";
    case Category::nowPlaying: return "NowPlaying";
    case Category::hud: return "HUD";
    case Category::shelf: return "Shelf";
    }
    return "App";
}

const char* levelName(Level level)
{
    switch (level) {
    case Level::debug: return "debug";
    case Level::info: return "info";
    case Level::defaultLevel: return "default";
    case Level::error: return "error";
    }
    return "default";
}

QString subsystem()
{
    static const QString value = [] {
        const auto id = AppBundle::main().identifier();
        return id && !id->isEmpty() ? *id : QStringLiteral("com.larkmoor.Brimwell");
    }();
    return value;
}

QString formatLine(const Entry& entry)
{
    return QStringLiteral("%1[%2] %3: %4")
        .arg(entry.subsystem, QLatin1String(categoryName(entry.category)), QLatin1String(levelName(entry.level)), entry.message);
}

void setSink(Sink sink)
{
    QMutexLocker lock(&sinkMutex);
    sinkRef() = std::move(sink);
}

void write(Category category, Level level, const QString& message)
{
    const Entry entry{subsystem(), category, level, message};
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
        sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%i", priority(level),
            "SYSLOG_IDENTIFIER=brimwell", "BRIMWELL_SUBSYSTEM=%s", sub.constData(),
            "BRIMWELL_CATEGORY=%s", categoryName(category), nullptr);
        return;
    }
#endif
    const QByteArray line = formatLine(entry).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

} // namespace Log
