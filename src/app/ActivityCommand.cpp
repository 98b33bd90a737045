#include "ActivityCommand.h"

#include "DBusActivityHost.h"
#include "LiveActivity.h"
#include "activities_proxy.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDateTime>
#include <QRegularExpression>

#include <cstdio>
#include <cstring>

namespace {

const char activityUsage[] = R"(Usage:
  brimwell activity start TITLE [--subtitle S] [--timer 5m | --progress 0.4 | --elapsed] [--symbol NAME]
  brimwell activity update ID [--subtitle S] [--timer 5m | --progress 0.4 | --elapsed] [--symbol NAME]
  brimwell activity end ID
  brimwell activity list

Shows a live activity in the running Brimwell's island. start prints the new
activity's id; activities started here stay until they are ended, ten seconds
after their timer runs out, or after an hour without an update.

  --subtitle S    a second line of text
  --timer T       a countdown of T: 90s, 5m, 1h30m
  --progress P    a progress from 0 to 1
  --elapsed       a counter of the time since now
  --symbol NAME   an icon name of the desktop's theme
)";

// What the user asked for.
struct ActivityRequest {
    QString verb;
    quint32 id = 0;
    QString title;
    QVariantMap hints;
};

struct ActivityUsageError {
    QString message;
};

void writeActivityLine(FILE* stream, const QString& text)
{
    std::fputs(qUtf8Printable(text), stream);
    std::fputc('\n', stream);
}

// The options of start and update, as hints.
std::optional<ActivityUsageError> readActivityOptions(QStringList args, QVariantMap& hints)
{
    int values = 0;
    while (!args.isEmpty()) {
        QString option = args.takeFirst();
        std::optional<QString> inlineValue;
        if (const qsizetype eq = option.indexOf(QLatin1Char('=')); option.startsWith(QLatin1String("--")) && eq > 0) {
            inlineValue = option.mid(eq + 1);
            option.truncate(eq);
        }
        const auto value = [&]() -> std::optional<QString> {
            if (inlineValue)
                return inlineValue;
            if (args.isEmpty())
                return std::nullopt;
            return args.takeFirst();
        };
        if (option == QLatin1String("--elapsed")) {
            if (inlineValue)
                return ActivityUsageError { QStringLiteral("--elapsed takes no value") };
            hints.insert(QStringLiteral("startedAt"), QDateTime::currentMSecsSinceEpoch());
            ++values;
            continue;
        }
        if (option != QLatin1String("--subtitle") && option != QLatin1String("--symbol") && option != QLatin1String("--timer")
            && option != QLatin1String("--progress"))
            return ActivityUsageError { QStringLiteral("unknown option “%1”").arg(option) };
        const std::optional<QString> text = value();
        if (!text)
            return ActivityUsageError { QStringLiteral("%1 needs a value").arg(option) };
        if (option == QLatin1String("--subtitle")) {
            hints.insert(QStringLiteral("subtitle"), *text);
        } else if (option == QLatin1String("--symbol")) {
            hints.insert(QStringLiteral("symbol"), *text);
        } else if (option == QLatin1String("--timer")) {
            const std::optional<qint64> ms = ActivityCommand::durationMs(*text);
            if (!ms)
                return ActivityUsageError {
                    QStringLiteral("--timer takes a time above zero such as 90s, 5m or 1h30m, not “%1”").arg(*text)
                };
            hints.insert(QStringLiteral("endsAt"), QDateTime::currentMSecsSinceEpoch() + *ms);
            ++values;
        } else {
            bool ok = false;
            const double progress = text->toDouble(&ok);
            if (!ok)
                return ActivityUsageError { QStringLiteral("--progress takes a number from 0 to 1, not “%1”").arg(*text) };
            hints.insert(QStringLiteral("progress"), progress);
            ++values;
        }
    }
    if (values > 1)
        return ActivityUsageError { QStringLiteral("give only one of --timer, --progress and --elapsed") };
    return std::nullopt;
}

std::optional<ActivityUsageError> readActivityRequest(QStringList args, ActivityRequest& request)
{
    if (args.isEmpty())
        return ActivityUsageError { QStringLiteral("say what to do: start, update, end or list") };
    request.verb = args.takeFirst();
    if (request.verb == QLatin1String("--help") || request.verb == QLatin1String("-h"))
        return std::nullopt;
    if (request.verb == QLatin1String("list"))
        return args.isEmpty() ? std::nullopt : std::optional(ActivityUsageError { QStringLiteral("list takes no arguments") });
    if (request.verb != QLatin1String("start") && request.verb != QLatin1String("update") && request.verb != QLatin1String("end"))
        return ActivityUsageError { QStringLiteral("unknown command “%1”").arg(request.verb) };
    if (args.isEmpty() || args.first().startsWith(QLatin1String("--")))
        return ActivityUsageError { request.verb == QLatin1String("start") ? QStringLiteral("start needs a title")
                                                                           : QStringLiteral("%1 needs an id").arg(request.verb) };
    const QString first = args.takeFirst();
    if (request.verb == QLatin1String("start")) {
        request.title = first;
        request.hints.insert(QStringLiteral("owned"), false);
    } else {
        bool ok = false;
        request.id = first.toUInt(&ok);
        if (!ok || request.id == 0)
            return ActivityUsageError { QStringLiteral("“%1” is not an activity id").arg(first) };
    }
    if (request.verb == QLatin1String("end"))
        return args.isEmpty() ? std::nullopt : std::optional(ActivityUsageError { QStringLiteral("end takes only an id") });
    return readActivityOptions(args, request.hints);
}

// The reply's error in words for the user; empty when the call went through.
QString activityCallProblem(const QDBusError& error)
{
    if (!error.isValid())
        return {};
    switch (error.type()) {
    case QDBusError::ServiceUnknown:
    case QDBusError::Disconnected:
        return QStringLiteral("Brimwell is not running");
    case QDBusError::UnknownObject:
    case QDBusError::UnknownInterface:
    case QDBusError::UnknownMethod:
        return QStringLiteral("the running Brimwell takes no live activities (%1)").arg(error.message());
    default:
        return error.message();
    }
}

QString activityLine(const ActivitySummary& summary, qint64 nowMs)
{
    LiveActivity activity;
    const QVariantMap& hints = summary.hints;
    if (hints.contains(QStringLiteral("endsAt")))
        activity.endsAtMs = hints.value(QStringLiteral("endsAt")).toLongLong();
    if (hints.contains(QStringLiteral("startedAt")))
        activity.startedAtMs = hints.value(QStringLiteral("startedAt")).toLongLong();
    if (hints.contains(QStringLiteral("progress")))
        activity.progress = hints.value(QStringLiteral("progress")).toDouble();
    return QStringLiteral("%1\t%2\t%3").arg(summary.id).arg(summary.title, activity.valueText(nowMs));
}

} // namespace

bool ActivityCommand::matches(int argc, char** argv)
{
    return argc > 1 && std::strcmp(argv[1], "activity") == 0;
}

std::optional<qint64> ActivityCommand::durationMs(const QString& text)
{
    static const QRegularExpression form(QStringLiteral("^(?:(\\d{1,4})h)?(?:(\\d{1,6})m)?(?:(\\d{1,8})s)?$"));
    const QRegularExpressionMatch match = form.match(text);
    if (text.isEmpty() || !match.hasMatch())
        return std::nullopt;
    const qint64 seconds
        = match.captured(1).toLongLong() * 3600 + match.captured(2).toLongLong() * 60 + match.captured(3).toLongLong();
    if (seconds <= 0)
        return std::nullopt;
    return seconds * 1000;
}

int ActivityCommand::run(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    ActivityRequest request;
    if (const auto problem = readActivityRequest(app.arguments().mid(2), request)) {
        std::fputs(qUtf8Printable(QStringLiteral("brimwell activity: %1\n\n").arg(problem->message)), stderr);
        std::fputs(activityUsage, stderr);
        return 2;
    }
    if (request.verb == QLatin1String("--help") || request.verb == QLatin1String("-h")) {
        std::fputs(activityUsage, stdout);
        return 0;
    }

    QDBusConnection bus = QDBusConnection::sessionBus();
    if (!bus.isConnected()) {
        writeActivityLine(
            stderr, QStringLiteral("brimwell: no session bus, so Brimwell is not running (%1)").arg(bus.lastError().message()));
        return 1;
    }
    DBusActivityHost::registerTypes();
    Activities1Proxy activities(QStringLiteral("com.larkmoor.Brimwell"), QLatin1String(DBusActivityHost::objectPath), bus);
    const auto failed = [](const QDBusPendingCall& call) {
        const QString problem = activityCallProblem(call.error());
        if (!problem.isEmpty())
            writeActivityLine(stderr, QStringLiteral("brimwell: ") + problem);
        return !problem.isEmpty();
    };
    if (request.verb == QLatin1String("start")) {
        QDBusPendingReply<uint> reply = activities.Start(QStringLiteral("brimwell-cli"), request.title, request.hints);
        reply.waitForFinished();
        if (failed(reply))
            return 1;
        writeActivityLine(stdout, QString::number(reply.value()));
    } else if (request.verb == QLatin1String("update")) {
        QDBusPendingReply<> reply = activities.Update(request.id, request.hints);
        reply.waitForFinished();
        if (failed(reply))
            return 1;
    } else if (request.verb == QLatin1String("end")) {
        QDBusPendingReply<> reply = activities.End(request.id);
        reply.waitForFinished();
        if (failed(reply))
            return 1;
    } else {
        QDBusPendingReply<QList<ActivitySummary>> reply = activities.List();
        reply.waitForFinished();
        if (failed(reply))
            return 1;
        const qint64 now = QDateTime::currentMSecsSinceEpoch();
        for (const ActivitySummary& summary : reply.value())
            writeActivityLine(stdout, activityLine(summary, now));
    }
    return 0;
}
