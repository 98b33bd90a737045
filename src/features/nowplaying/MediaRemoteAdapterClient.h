#pragma once

#include "Clock.h"
#include "DelayedTask.h"
#include "NowPlayingCommand.h"
#include "NowPlayingTrack.h"
#include "Scheduler.h"

#include <QByteArray>
#include <QDateTime>
#include <QJsonObject>
#include <QList>
#include <QObject>
#include <QProcess>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

class AppBundle;

/// Follows the system-wide now-playing stream through the adapter process
/// (a Perl launcher and its framework folder shipped with the program) and
/// turns its JSON lines into tracks. Also sends one-shot transport commands
/// and seeks through the same adapter. Main thread only.
class MediaRemoteAdapterClient final : public QObject {
    Q_OBJECT
public:
    /// The interpreter every adapter command line starts with.
    static const QString& perlURL();

    /// Finds the adapter in `bundle`; starts nothing.
    explicit MediaRemoteAdapterClient(const AppBundle& bundle, Scheduler& scheduler = Scheduler::system(),
        Clock& clock = Clock::system(), QObject* parent = nullptr);
    ~MediaRemoteAdapterClient() override;
    Q_DISABLE_COPY_MOVE(MediaRemoteAdapterClient)

    /// True when perl is executable and both the script and the framework exist.
    bool isAvailable() const;
    /// True between start() and stop(), and until the client gives up.
    bool isRunning() const { return m_isRunning; }
    const std::optional<QString>& scriptURL() const { return m_scriptURL; }
    const std::optional<QString>& frameworkURL() const { return m_frameworkURL; }

    /// Launches the stream unless already running; clears the failure history.
    void start();
    /// Ends the stream without reporting a track; later output and exit of
    /// the old process are ignored.
    void stop();
    /// Runs "send <code>"; works whether or not the stream runs.
    void send(NowPlayingCommand command);
    /// Runs "seek <microseconds>" with the position raised to 0 if negative.
    void seek(double seconds);

    /// Takes bytes of the stream's output: every line they complete is
    /// handled, the rest waits for the next chunk. Dropped unless running.
    void appendChunk(const QByteArray& chunk);

    /// The track the merged payload describes; absent without a usable title.
    static std::optional<NowPlayingTrack> trackFromPayload(const QJsonObject& payload);
    /// The argument "seek" receives: whole microseconds, halves away from zero.
    static QString seekArgument(double seconds);
    /// The code "send" receives.
    static QString commandCode(NowPlayingCommand command);

Q_SIGNALS:
    /// Every parsed state; absent when nothing is playing.
    void trackChanged(const std::optional<NowPlayingTrack>& track);
    /// The client gave up: adapter missing or too many failures.
    void unavailable();

private:
    void launchStream();
    void handleLine(const QByteArray& line);
    void streamDidExit(QProcess* process, int status);
    void recordFailure();
    void run(const QStringList& modeArguments);
    QStringList arguments(const QStringList& modeArguments) const;

    Clock& m_clock;
    std::optional<QString> m_scriptURL;
    std::optional<QString> m_frameworkURL;
    QProcess* m_process = nullptr;
    QByteArray m_buffer;
    qsizetype m_scanned = 0;
    QJsonObject m_payload;
    QList<QDateTime> m_failureDates;
    DelayedTask m_restartTask;
    bool m_isRunning = false;
};
