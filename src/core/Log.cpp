#include "Log.h"

#include "AppInfo.h"

#include <QByteArray>
#include <QFileInfo>
#include <QHash>
#include <QMutex>

#include <cstdio>

#ifdef BRIMWELL_HAVE_JOURNAL
#include <syslog.h>
#include <systemd/sd-journal.h>
#endif

BRIMWELL_LOGGING_CATEGORY(lcApp, "brimwell.app", "App")

namespace Log {

namespace {
QtMessageHandler qtHandler = nullptr;

QMutex categoriesMutex;
// Qt name → field, for every category of ours used so far.
QHash<QByteArray, const char*>& categories()
{
    static QHash<QByteArray, const char*> known;
    return known;
}

const char* fieldOf(const char* qtName)
{
    if (!qtName)
        return nullptr;
    QMutexLocker lock(&categoriesMutex);
    return categories().value(QByteArray(qtName), nullptr);
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
    const char* field = fieldOf(context.category);
    if (!field || type == QtFatalMsg) {
        if (qtHandler)
            qtHandler(type, context, message);
        return;
    }
    write(QLatin1String(field), levelOf(type), message);
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

bool addCategory(const char* qtName, const char* field)
{
    QMutexLocker lock(&categoriesMutex);
    categories().insert(QByteArray(qtName), field);
    return true;
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
        .arg(entry.subsystem, entry.category, QLatin1String(levelName(entry.level)), entry.message);
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

void write(const QString& category, Level level, const QString& message)
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
        const QByteArray field = category.toUtf8();
        sd_journal_send("MESSAGE=%s", text.constData(), "PRIORITY=%i", priority(level), "SYSLOG_IDENTIFIER=brimwell",
            "BRIMWELL_SUBSYSTEM=%s", sub.constData(), "BRIMWELL_CATEGORY=%s", field.constData(), nullptr);
        return;
    }
#endif
    const QByteArray line = formatLine(entry).toUtf8();
    std::fprintf(stderr, "%s\n", line.constData());
    std::fflush(stderr);
}

} // namespace Log
