#include "MediaRemoteAdapterClient.h"

#include "AppBundle.h"
#include "Log.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonValue>
#include <QPointer>

#include <cmath>
#include <limits>

using namespace std::chrono_literals;

namespace {

constexpr qint64 failureWindowMs = 60'000;
constexpr int failuresBeforeGivingUp = 3;
constexpr auto relaunchDelay = 2s;

std::optional<QString> trimmedString(const QJsonObject& payload, const char* key)
{
    const QJsonValue value = payload.value(QLatin1String(key));
    if (!value.isString())
        return std::nullopt;
    const QString text = value.toString().trimmed();
    if (text.isEmpty())
        return std::nullopt;
    return text;
}

std::optional<double> number(const QJsonObject& payload, const char* key)
{
    const QJsonValue value = payload.value(QLatin1String(key));
    if (!value.isDouble())
        return std::nullopt;
    return value.toDouble();
}

qint32 toInt32(double value)
{
    if (!std::isfinite(value))
        return 0;
    const double clamped
        = std::clamp(value, double(std::numeric_limits<qint32>::min()), double(std::numeric_limits<qint32>::max()));
    return qint32(clamped);
}

} // namespace

const QString& MediaRemoteAdapterClient::perlURL()
{
    static const QString url = QStringLiteral("/usr/bin/perl");
    return url;
}

MediaRemoteAdapterClient::MediaRemoteAdapterClient(const AppBundle& bundle, Scheduler& scheduler, Clock& clock, QObject* parent)
    : QObject(parent)
    , m_clock(clock)
    , m_restartTask(scheduler)
{
    const QString script = bundle.resourcePath(QStringLiteral("mediaremote-adapter"), QStringLiteral("pl"));
    if (!script.isEmpty())
        m_scriptURL = script;
    if (!bundle.privateFrameworksDir().isEmpty())
        m_frameworkURL = QDir(bundle.privateFrameworksDir()).filePath(QStringLiteral("MediaRemoteAdapter.framework"));
}

MediaRemoteAdapterClient::~MediaRemoteAdapterClient()
{
    // No stream, current or already told to end, outlives the client; their
    // exits are of no interest now.
    for (QProcess* process : findChildren<QProcess*>(Qt::FindDirectChildrenOnly)) {
        process->disconnect(this);
        process->kill();
        process->waitForFinished(1000);
    }
}

bool MediaRemoteAdapterClient::isAvailable() const
{
    if (!m_scriptURL || !m_frameworkURL)
        return false;
    const QFileInfo perl(perlURL());
    return perl.isFile() && perl.isExecutable() && QFileInfo::exists(*m_scriptURL) && QFileInfo(*m_frameworkURL).isDir();
}

void MediaRemoteAdapterClient::start()
{
    if (m_isRunning)
        return;
    m_isRunning = true;
    m_failureDates.clear();
    launchStream();
}

void MediaRemoteAdapterClient::stop()
{
    m_isRunning = false;
    m_restartTask.cancel();
    if (QProcess* process = std::exchange(m_process, nullptr))
        process->terminate();
    m_buffer.clear();
    m_scanned = 0;
    m_payload = QJsonObject();
}

QStringList MediaRemoteAdapterClient::arguments(const QStringList& modeArguments) const
{
    return QStringList { *m_scriptURL, *m_frameworkURL } + modeArguments;
}

void MediaRemoteAdapterClient::launchStream()
{
    if (!m_isRunning)
        return;
    if (!m_scriptURL || !m_frameworkURL) {
        m_isRunning = false;
        Q_EMIT unavailable();
        return;
    }

    // The process belongs to this client until it exits; an old process that
    // stop() terminated deletes itself when it is gone.
    auto* process = new QProcess(this);
    process->setProgram(perlURL());
    process->setArguments(arguments({ QStringLiteral("stream"), QStringLiteral("--micros"), QStringLiteral("--debounce=150") }));
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());

    QPointer<QProcess> guard(process);
    connect(process, &QProcess::readyReadStandardOutput, this, [this, guard] {
        if (!guard)
            return;
        const QByteArray chunk = guard->readAllStandardOutput();
        if (guard == m_process)
            appendChunk(chunk);
    });
    connect(process, &QProcess::finished, this, [this, guard](int exitCode, QProcess::ExitStatus exitStatus) {
        if (!guard)
            return;
        // Output still in the pipe belongs to the stream that just ended.
        const QByteArray rest = guard->readAllStandardOutput();
        if (guard == m_process && !rest.isEmpty())
            appendChunk(rest);
        streamDidExit(guard, exitStatus == QProcess::NormalExit ? exitCode : -1);
        guard->deleteLater();
    });
    connect(process, &QProcess::started, this, [this, guard] {
        if (guard && guard == m_process)
            qCInfo(lcNowPlaying, "Now Playing adapter stream started");
    });
    connect(process, &QProcess::errorOccurred, this, [this, guard](QProcess::ProcessError error) {
        if (!guard || error != QProcess::FailedToStart)
            return;
        const bool current = guard == m_process;
        qCCritical(lcNowPlaying, "Unable to start Now Playing adapter: %s", qUtf8Printable(guard->errorString()));
        guard->deleteLater();
        if (!current)
            return;
        m_process = nullptr;
        recordFailure();
    });

    m_process = process;
    process->start();
}

void MediaRemoteAdapterClient::appendChunk(const QByteArray& chunk)
{
    if (!m_isRunning)
        return;
    // Bytes before m_scanned hold no line feed; a long line arriving in many
    // chunks is scanned once, not once per chunk.
    m_buffer += chunk;
    qsizetype start = 0;
    for (;;) {
        const qsizetype newline = m_buffer.indexOf('\n', std::max(start, m_scanned));
        if (newline < 0)
            break;
        const QByteArray line = m_buffer.mid(start, newline - start);
        start = newline + 1;
        handleLine(line);
        // A callback may have stopped the client, which empties the buffer.
        if (!m_isRunning || start > m_buffer.size())
            return;
    }
    m_buffer.remove(0, start);
    m_scanned = m_buffer.size();
}

void MediaRemoteAdapterClient::handleLine(const QByteArray& line)
{
    if (line.isEmpty())
        return;
    QJsonParseError error;
    const QJsonDocument document = QJsonDocument::fromJson(line, &error);
    if (error.error != QJsonParseError::NoError || !document.isObject())
        return;
    const QJsonObject object = document.object();
    if (object.value(QLatin1String("type")) != QLatin1String("data"))
        return;
    const QJsonValue payloadValue = object.value(QLatin1String("payload"));
    if (!payloadValue.isObject())
        return;
    const QJsonObject payload = payloadValue.toObject();

    if (object.value(QLatin1String("diff")).toBool(false)) {
        for (auto it = payload.begin(); it != payload.end(); ++it) {
            if (it.value().isNull())
                m_payload.remove(it.key());
            else
                m_payload.insert(it.key(), it.value());
        }
    } else {
        m_payload = payload;
    }

    Q_EMIT trackChanged(trackFromPayload(m_payload));
}

std::optional<NowPlayingTrack> MediaRemoteAdapterClient::trackFromPayload(const QJsonObject& payload)
{
    const std::optional<QString> title = trimmedString(payload, "title");
    if (!title)
        return std::nullopt;

    NowPlayingTrack track;
    track.title = *title;
    track.artist = trimmedString(payload, "artist");
    track.album = trimmedString(payload, "album");

    const QJsonValue artwork = payload.value(QLatin1String("artworkData"));
    if (artwork.isString()) {
        auto decoded = QByteArray::fromBase64Encoding(artwork.toString().toLatin1(), QByteArray::AbortOnBase64DecodingErrors);
        if (decoded)
            track.artworkData = *decoded;
    }

    const QJsonValue playing = payload.value(QLatin1String("playing"));
    track.isPlaying = playing.isBool() && playing.toBool();

    track.sourceBundleIdentifier = trimmedString(payload, "parentApplicationBundleIdentifier");
    if (!track.sourceBundleIdentifier)
        track.sourceBundleIdentifier = trimmedString(payload, "bundleIdentifier");

    if (const auto pid = number(payload, "processIdentifier"))
        track.processIdentifier = toInt32(*pid);
    if (const auto micros = number(payload, "durationMicros"); micros && *micros / 1'000'000.0 > 0)
        track.duration = *micros / 1'000'000.0;
    if (const auto micros = number(payload, "elapsedTimeMicros"))
        track.elapsedTime = *micros / 1'000'000.0;
    if (const auto micros = number(payload, "timestampEpochMicros"); micros && std::isfinite(*micros))
        track.elapsedTimestamp = QDateTime::fromMSecsSinceEpoch(qint64(std::llround(*micros / 1000.0)), Qt::UTC);
    track.playbackRate = number(payload, "playbackRate").value_or(1.0);
    return track;
}

void MediaRemoteAdapterClient::streamDidExit(QProcess* process, int status)
{
    if (!m_process || m_process != process)
        return;
    m_process = nullptr;
    if (!m_isRunning)
        return;
    qCWarning(lcNowPlaying, "Now Playing adapter exited with status %d", status);
    m_buffer.clear();
    m_scanned = 0;
    m_payload = QJsonObject();
    Q_EMIT trackChanged(std::nullopt);
    recordFailure();
}

void MediaRemoteAdapterClient::recordFailure()
{
    const QDateTime now = m_clock.now();
    QList<QDateTime> recent;
    for (const QDateTime& date : std::as_const(m_failureDates)) {
        if (date.msecsTo(now) < failureWindowMs)
            recent.append(date);
    }
    recent.append(now);
    m_failureDates = recent;

    if (m_failureDates.size() < failuresBeforeGivingUp) {
        QPointer<MediaRemoteAdapterClient> self(this);
        m_restartTask.start(relaunchDelay, [self] {
            if (self)
                self->launchStream();
        });
        return;
    }
    m_isRunning = false;
    Q_EMIT unavailable();
}

QString MediaRemoteAdapterClient::commandCode(NowPlayingCommand command)
{
    switch (command) {
    case NowPlayingCommand::playPause:
        return QStringLiteral("2");
    case NowPlayingCommand::nextTrack:
        return QStringLiteral("4");
    case NowPlayingCommand::previousTrack:
        return QStringLiteral("5");
    }
    return QStringLiteral("2");
}

QString MediaRemoteAdapterClient::seekArgument(double seconds)
{
    // Non-finite positions never come from the service; treat them as the start.
    const double clamped = std::isfinite(seconds) ? std::max(seconds, 0.0) : 0.0;
    return QString::number(std::llround(clamped * 1'000'000.0));
}

void MediaRemoteAdapterClient::send(NowPlayingCommand command)
{
    run({ QStringLiteral("send"), commandCode(command) });
}

void MediaRemoteAdapterClient::seek(double seconds)
{
    run({ QStringLiteral("seek"), seekArgument(seconds) });
}

void MediaRemoteAdapterClient::run(const QStringList& modeArguments)
{
    if (!m_scriptURL || !m_frameworkURL)
        return;
    // Started and forgotten: the process deletes itself and touches no field.
    auto* process = new QProcess;
    process->setProgram(perlURL());
    process->setArguments(arguments(modeArguments));
    process->setStandardInputFile(QProcess::nullDevice());
    process->setStandardOutputFile(QProcess::nullDevice());
    process->setStandardErrorFile(QProcess::nullDevice());
    QObject::connect(process, &QProcess::finished, process, [process](int exitCode, QProcess::ExitStatus exitStatus) {
        const int status = exitStatus == QProcess::NormalExit ? exitCode : -1;
        if (status != 0)
            qCCritical(lcNowPlaying, "Now Playing command exited with status %d", status);
        process->deleteLater();
    });
    QObject::connect(process, &QProcess::errorOccurred, process, [process](QProcess::ProcessError error) {
        if (error != QProcess::FailedToStart)
            return;
        qCCritical(lcNowPlaying, "Unable to send Now Playing command: %s", qUtf8Printable(process->errorString()));
        process->deleteLater();
    });
    process->start();
}
