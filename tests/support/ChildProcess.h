#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>
#include <QStringList>

/// Helpers for integration tests that run real programs: waits are bounded
/// and end as soon as the condition holds.
namespace ChildProcess {

/// Collects output until `needle` appears in the process's stderr or the bound passes.
inline bool waitForStderr(QProcess& process, QByteArray& collected, const QByteArray& needle, int boundMs = 10000)
{
    QDeadlineTimer deadline(boundMs);
    while (!collected.contains(needle)) {
        if (deadline.hasExpired() || process.state() == QProcess::NotRunning) {
            collected += process.readAllStandardError();
            return collected.contains(needle);
        }
        process.waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 200)));
        collected += process.readAllStandardError();
    }
    return true;
}

/// Starts `program` and returns the first line it prints (trimmed), or
/// empty when it prints none within the bound.
inline QString startAndReadLine(QProcess& process, const QString& program, const QStringList& arguments, int boundMs = 10000)
{
    process.start(program, arguments);
    QByteArray out;
    QDeadlineTimer deadline(boundMs);
    while (!out.contains('\n') && !deadline.hasExpired() && process.state() != QProcess::NotRunning) {
        process.waitForReadyRead(200);
        out += process.readAllStandardOutput();
    }
    return out.contains('\n') ? QString::fromUtf8(out).trimmed() : QString();
}

/// Starts a private session bus; returns its address, or empty on failure.
inline QString startPrivateBus(QProcess& daemon)
{
    return startAndReadLine(daemon, QStringLiteral("dbus-daemon"),
        {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")}, 5000);
}

} // namespace ChildProcess
