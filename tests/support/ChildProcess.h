#pragma once

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>
#include <QSettings>
#include <QString>
#include <QStringList>
#include <QVariantMap>

/// Helpers for integration tests that run real programs: waits are bounded
/// and end as soon as the condition holds.
namespace ChildProcess {

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

/// A dbus-daemon of the test's own for the life of the object: a session
/// bus, or one configured by `configFile`. `address` is empty when it did
/// not start.
class PrivateBus {
public:
    explicit PrivateBus(const QString& configFile = {})
        : address(startAndReadLine(m_daemon, "dbus-daemon",
            { configFile.isEmpty() ? "--session" : "--config-file=" + configFile, "--nofork", "--print-address=1" }, 5000))
    {
    }
    ~PrivateBus()
    {
        m_daemon.kill();
        m_daemon.waitForFinished(2000);
    }
    PrivateBus(const PrivateBus&) = delete;
    PrivateBus& operator=(const PrivateBus&) = delete;

private:
    QProcess m_daemon; // started before `address` is set

public:
    const QString address;
};

/// Writes a session bus's configuration to `file` and returns its path:
/// a bus that activates no services, and on which nobody may own
/// `deniedName` when one is given.
inline QString writeBusConfig(const QString& file, const QString& deniedName = {})
{
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly))
        return {};
    f.write(QStringLiteral(R"(<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>session</type>
  <listen>unix:tmpdir=/tmp</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow send_destination="*" eavesdrop="true"/>
    <allow eavesdrop="true"/>
    <allow own="*"/>%1
  </policy>
</busconfig>
)")
                .arg(deniedName.isEmpty() ? QString() : QStringLiteral("\n    <deny own=\"%1\"/>").arg(deniedName))
                .toUtf8());
    return file;
}

/// Points the program's XDG folders (config, data, cache) into `home`, its
/// system bus nowhere and its log to stderr.
inline void isolate(QProcessEnvironment& env, const QString& home)
{
    env.insert("XDG_CONFIG_HOME", home + "/config");
    env.insert("XDG_DATA_HOME", home + "/data");
    env.insert("XDG_CACHE_HOME", home + "/cache");
    env.insert("DBUS_SYSTEM_BUS_ADDRESS", "unix:path=" + home + "/no-system-bus");
    env.insert("BRIMWELL_LOG", "stderr");
}

/// The environment for running the real program apart from the user's
/// files and system bus: XDG folders under `home` (the runtime one private),
/// no system bus, and the log on stderr.
inline QProcessEnvironment isolatedEnvironment(const QString& home)
{
    const QString runtime = home + "/runtime";
    QDir().mkpath(runtime);
    QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    isolate(env, home);
    env.insert("XDG_RUNTIME_DIR", runtime);
    return env;
}

/// Sets `values` (key → value) in the program's settings.ini under `home`,
/// the XDG_CONFIG_HOME of isolatedEnvironment().
inline void writeSettings(const QString& home, const QVariantMap& values)
{
    QSettings settings(home + "/config/com.larkmoor.Brimwell/settings.ini", QSettings::IniFormat);
    for (auto it = values.cbegin(); it != values.cend(); ++it)
        settings.setValue(it.key(), it.value());
}

/// isolatedEnvironment() on the X server `display`, with the session bus at
/// `busAddress` or none (the single-instance guard then uses its lock file
/// and socket).
inline QProcessEnvironment x11Environment(const QString& home, const QString& display, const QString& busAddress = {})
{
    QProcessEnvironment env = isolatedEnvironment(home);
    env.remove("DBUS_SESSION_BUS_ADDRESS");
    if (!busAddress.isEmpty())
        env.insert("DBUS_SESSION_BUS_ADDRESS", busAddress);
    env.insert("DISPLAY", display);
    env.insert("QT_QPA_PLATFORM", "xcb");
    return env;
}

/// The real program (BRIMWELL_EXECUTABLE) as a child, its stderr collected
/// in `log`; killed with the object if it still runs.
class Brimwell : public QProcess {
public:
    ~Brimwell() override
    {
        kill();
        waitForFinished(5000);
    }
    void launch(const QProcessEnvironment& env)
    {
        log.clear();
        setProcessEnvironment(env);
        start(qEnvironmentVariable("BRIMWELL_EXECUTABLE"), {});
    }
    /// Waits (bounded) until the log holds `text`.
    bool logShows(const QByteArray& text, int boundMs = 10000)
    {
        QDeadlineTimer deadline(boundMs);
        for (log += readAllStandardError(); !log.contains(text); log += readAllStandardError()) {
            if (deadline.hasExpired() || state() == NotRunning)
                return false;
            waitForReadyRead(int(std::min<qint64>(deadline.remainingTime(), 200)));
        }
        return true;
    }
    /// SIGTERM unless it ended already; true when it ended its own way with
    /// exit code 0.
    bool stop()
    {
        terminate();
        const bool ended = state() == NotRunning || waitForFinished(10000);
        log += readAllStandardError();
        return ended && exitStatus() == NormalExit && exitCode() == 0;
    }

    QByteArray log;
};

} // namespace ChildProcess
