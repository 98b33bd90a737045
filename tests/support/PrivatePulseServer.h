#pragma once

#include "ChildProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFileInfo>
#include <QFileSystemWatcher>
#include <QProcess>
#include <QSignalSpy>
#include <QTemporaryDir>

/// A PulseAudio server of the test's own, once started: a null sink for each name given
/// (the first is the default), on a socket in a private folder. PULSE_SERVER
/// points this process and pactl at it. It can be stopped and started again
/// on the same socket, as a restarting server would be. It registers its
/// D-Bus names on a bus of its own, so two tests' servers never collide.
class PrivatePulseServer {
public:
    explicit PrivatePulseServer(QStringList sinks)
        : m_sinks(std::move(sinks))
    {
        qputenv("PULSE_SERVER", ("unix:" + socketPath()).toUtf8());
    }
    ~PrivatePulseServer()
    {
        stop();
        qunsetenv("PULSE_SERVER");
    }
    PrivatePulseServer(const PrivatePulseServer&) = delete;
    PrivatePulseServer& operator=(const PrivatePulseServer&) = delete;

    QString socketPath() const { return m_home.filePath("pulse/native"); }

    /// Starts the server and waits (bounded) until it answers.
    bool start()
    {
        QDir(m_home.path()).mkpath("pulse");
        QStringList arguments { "-n", "--daemonize=no", "--exit-idle-time=-1", "--disable-shm=yes", "--log-target=stderr",
            "--log-level=error", "--load=module-native-protocol-unix auth-anonymous=1 socket=" + socketPath() };
        for (const QString& sink : m_sinks)
            arguments << "--load=module-null-sink sink_name=" + sink;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("HOME", m_home.path());
        env.insert("XDG_RUNTIME_DIR", m_home.path());
        env.insert("XDG_CONFIG_HOME", m_home.filePath("config"));
        env.insert("DBUS_SESSION_BUS_ADDRESS", m_bus.address);
        m_server.setProcessEnvironment(env);
        m_server.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        m_server.start("pulseaudio", arguments);
        if (!m_server.waitForStarted(5000))
            return false;
        // The socket appears once the server listens.
        QFileSystemWatcher watch({ m_home.filePath("pulse") });
        QSignalSpy changed(&watch, &QFileSystemWatcher::directoryChanged);
        QDeadlineTimer deadline(10000);
        while (!QFileInfo::exists(socketPath()) && !deadline.hasExpired())
            changed.wait(int(deadline.remainingTime()));
        // The socket's file exists a moment before the server answers on it;
        // under load pactl can get there first.
        while (pactl({ "info" }).exitCode != 0) {
            if (deadline.hasExpired() || m_server.waitForFinished(50))
                return false;
        }
        return true;
    }
    void stop()
    {
        m_server.terminate();
        m_server.waitForFinished(5000);
    }

    struct Result {
        int exitCode = -1;
        QString output;
    };
    /// Runs pactl against this server, as another mixer would.
    Result pactl(const QStringList& arguments) const
    {
        QProcess process;
        process.start("pactl", arguments);
        process.waitForFinished(5000);
        return { process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAllStandardOutput()).trimmed() };
    }

private:
    QStringList m_sinks;
    QTemporaryDir m_home;
    ChildProcess::PrivateBus m_bus;
    QProcess m_server;
};
