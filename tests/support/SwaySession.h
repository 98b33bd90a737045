#pragma once

#include "ChildProcess.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSize>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTest>

#include <ftw.h>
#include <unistd.h>

#include <cmath>
#include <functional>

/// A Wayland session of the test's own: sway from Debian's package, headless
/// (pixman renderer, no input devices), with one output and, unless told
/// otherwise, XWayland, plus a virtual pointer on its seat. sway refuses to
/// run as root, so under root the session, and every program started in it,
/// runs as the unprivileged user `nobody`, in folders that user owns.
/// `failure` says why the session is not there; waits are bounded.
class SwaySession {
public:
    /// `output` in pixels; at `scale` the layout is output / scale points.
    explicit SwaySession(bool xwayland = true, QSize output = QSize(1280, 800), double scale = 1)
    {
        if (QStandardPaths::findExecutable("sway").isEmpty()) {
            failure = "sway is not installed";
            return;
        }
        QDir().mkpath(runtimeDir());
        QFile::setPermissions(runtimeDir(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        QFile config(home() + "/sway.config");
        if (!config.open(QIODevice::WriteOnly))
            return;
        config.write(QStringLiteral("xwayland %1\noutput HEADLESS-1 resolution %2x%3 position 0 0 scale %5\n"
                                    "default_border none\nexec sh -c 'echo \"x$DISPLAY\" > %4/display'\n")
                         .arg(xwayland ? "force" : "disable")
                         .arg(output.width())
                         .arg(output.height())
                         .arg(home())
                         .arg(scale)
                         .toUtf8());
        config.close();
        giveToUser(m_home.path());

        QProcessEnvironment env = baseEnvironment();
        env.insert("WLR_BACKENDS", "headless");
        env.insert("WLR_RENDERER", "pixman");
        env.insert("WLR_LIBINPUT_NO_DEVICES", "1");
        m_sway.setProcessChannelMode(QProcess::MergedChannels);
        m_sway.setStandardOutputFile(home() + "/sway.log");
        startAsUser(m_sway, "sway", { "-c", config.fileName() }, env);

        QFile displayFile(home() + "/display");
        const bool started = waitFor(
            [&] { return m_sway.state() == QProcess::NotRunning || (displayFile.exists() && displayFile.size() > 0); }, 20000);
        if (!started || m_sway.state() == QProcess::NotRunning) {
            failure = "sway did not start: " + log();
            return;
        }
        displayFile.open(QIODevice::ReadOnly);
        m_xwayland = QString::fromUtf8(displayFile.readAll()).trimmed().mid(1);
        if (xwayland && m_xwayland.isEmpty()) {
            failure = "sway started no XWayland";
            return;
        }
        // XWayland lets in only the session's user; the test reads the
        // island's X window as root.
        if (xwayland && ::geteuid() == 0 && run("xhost", { "+si:localuser:root" }) != 0) {
            failure = "xhost could not let root in (x11-xserver-utils missing?)";
            return;
        }
        startAsUser(m_pointer, QStringLiteral("%1/tests/test-virtual-pointer").arg(qEnvironmentVariable("BRIMWELL_BINARY_DIR")),
            { QString::number(std::lround(output.width() / scale)), QString::number(std::lround(output.height() / scale)) },
            environment());
        if (!readLine(m_pointer, "ready")) {
            failure = "the virtual pointer did not start: " + QString::fromUtf8(m_pointer.readAllStandardError());
            return;
        }
    }
    ~SwaySession()
    {
        for (QProcess* process : { &m_pointer, &m_sway }) {
            process->terminate();
            if (!process->waitForFinished(3000))
                process->kill();
            process->waitForFinished(2000);
        }
    }
    SwaySession(const SwaySession&) = delete;
    SwaySession& operator=(const SwaySession&) = delete;

    /// Empty while the session runs.
    QString failure;
    /// A folder of the session's user, kept for the life of the session.
    QString home() const { return m_home.path(); }
    QString runtimeDir() const { return home() + "/runtime"; }
    /// ":N"; empty without XWayland.
    QString xwaylandDisplay() const { return m_xwayland; }
    QString log() const
    {
        QFile file(home() + "/sway.log");
        return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll().right(2000)) : QString();
    }

    /// What a program of the session sees: WAYLAND_DISPLAY, DISPLAY where
    /// XWayland runs, and its XDG folders (config, data, cache) in `home()`.
    QProcessEnvironment environment() const
    {
        QProcessEnvironment env = baseEnvironment();
        if (!m_xwayland.isEmpty())
            env.insert("DISPLAY", m_xwayland);
        env.insert("WAYLAND_DISPLAY", "wayland-1");
        env.insert("XDG_SESSION_TYPE", "wayland");
        // swaymsg's way to the compositor.
        env.insert("SWAYSOCK",
            runtimeDir()
                + QStringLiteral("/sway-ipc.%1.%2.sock").arg(::geteuid() == 0 ? 65534 : ::getuid()).arg(m_sway.processId()));
        ChildProcess::isolate(env, home());
        return env;
    }

    /// Starts a program in the session as its user.
    static void startAsUser(
        QProcess& process, const QString& program, const QStringList& arguments, const QProcessEnvironment& env)
    {
        process.setProcessEnvironment(env);
        if (::geteuid() == 0)
            process.start("setpriv",
                QStringLiteral("--reuid=65534 --regid=65534 --clear-groups --").split(' ') + QStringList { program } + arguments);
        else
            process.start(program, arguments);
        process.waitForStarted(10000);
    }
    /// Runs a program of the session to its end; its exit code, -1 when it
    /// did not finish within 10 s.
    int run(const QString& program, const QStringList& arguments)
    {
        QProcess process;
        startAsUser(process, program, arguments, environment());
        return process.waitForFinished(10000) && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    }
    /// Makes everything under `path` the session user's, for files that a
    /// program of the session writes.
    static void giveToUser(const QString& path)
    {
        if (::geteuid() != 0)
            return;
        ::nftw(
            path.toLocal8Bit().constData(),
            // A file that cannot be handed over stays as it is; the walk goes on.
            [](const char* file, const struct stat*, int, FTW*) {
                (void)::lchown(file, 65534, 65534);
                return 0;
            },
            16, FTW_PHYS);
    }

    /// Warps the pointer to a point of the output layout (one motion event);
    /// false when the pointer is gone.
    bool movePointer(int x, int y) { return command(QStringLiteral("move %1 %2").arg(x).arg(y)); }
    bool pressButton(bool down) { return command(down ? "press" : "release"); }
    static bool waitFor(const std::function<bool()>& condition, int boundMs = 5000)
    {
        return QTest::qWaitFor(condition, boundMs);
    }

private:
    QProcessEnvironment baseEnvironment() const
    {
        QProcessEnvironment env;
        env.insert("PATH", qEnvironmentVariable("PATH", "/usr/bin:/bin"));
        env.insert("HOME", home());
        env.insert("XDG_RUNTIME_DIR", runtimeDir());
        for (const char* name : { "ASAN_OPTIONS", "UBSAN_OPTIONS", "ASAN_SYMBOLIZER_PATH", "LANG" }) {
            if (qEnvironmentVariableIsSet(name))
                env.insert(QLatin1String(name), qEnvironmentVariable(name));
        }
        return env;
    }
    bool command(const QString& line)
    {
        if (m_pointer.state() != QProcess::Running)
            return false;
        m_pointer.write(line.toUtf8() + '\n');
        return readLine(m_pointer, "ok");
    }
    static bool readLine(QProcess& process, const QByteArray& expected)
    {
        QDeadlineTimer deadline(10000);
        while (!process.canReadLine()) {
            if (deadline.hasExpired() || process.state() != QProcess::Running)
                return false;
            process.waitForReadyRead(200);
        }
        return process.readLine().trimmed() == expected;
    }

    QTemporaryDir m_home;
    QProcess m_sway;
    QProcess m_pointer;
    QString m_xwayland;
};
