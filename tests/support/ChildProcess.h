#pragma once

#include <QDeadlineTimer>
#include <QProcess>
#include <QProcessEnvironment>
#include <QString>

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

/// Starts a private session bus; returns its address, or empty on failure.
inline QString startPrivateBus(QProcess& daemon)
{
    daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    if (!daemon.waitForStarted(5000))
        return {};
    QByteArray out;
    QDeadlineTimer deadline(5000);
    while (!out.contains('\n') && !deadline.hasExpired()) {
        daemon.waitForReadyRead(200);
        out += daemon.readAllStandardOutput();
    }
    return QString::fromUtf8(out).trimmed();
}

} // namespace ChildProcess
