// Now Playing benchmarks. Run from the build tree:
//   bench/bench_nowplaying --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// The end-to-end one starts a private dbus-daemon, the test MPRIS player and
// the real adapter; it needs BRIMWELL_BINARY_DIR (defaults to the build tree).

#include "AppBundle.h"
#include "AppleScriptMediaClient.h"
#include "ArtworkDecoder.h"
#include "DesktopApplicationCatalog.h"
#include "MediaRemoteAdapterClient.h"
#include "MprisScriptedPlayers.h"
#include "NetworkWebLoader.h"
#include "NowPlayingService.h"

#include <QBuffer>
#include <QDeadlineTimer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
#include <QJsonDocument>
#include <QPainter>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

namespace {

QByteArray coverJpeg(int side)
{
    // A photo-like cover: gradients and noise, so the JPEG is not trivially small.
    QImage image(side, side, QImage::Format_RGB32);
    QRandomGenerator random(7);
    for (int y = 0; y < side; ++y) {
        auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < side; ++x)
            line[x] = qRgb(
                (x * 255 / side + random.bounded(40)) & 255, (y * 255 / side + random.bounded(40)) & 255, random.bounded(256));
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, "JPEG", 90);
    return bytes;
}

bool spinUntil(const std::function<bool()>& condition, int boundMs = 5000)
{
    QDeadlineTimer deadline(boundMs);
    while (!condition()) {
        if (deadline.hasExpired())
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void StreamLineWithArtworkToTrack(benchmark::State& state)
{
    // About 500 KB of base64 artwork in one line, handled as the client does:
    // parse, take the payload whole, build the track.
    QByteArray art(375 * 1024, '\0');
    for (qsizetype i = 0; i < art.size(); ++i)
        art[i] = char(i * 31 + 7);
    const QByteArray line
        = R"({"type":"data","diff":false,"payload":{"title":"Song","artist":"Ann","album":"LP","playing":true,)"
          R"("bundleIdentifier":"vlc","processIdentifier":42,"durationMicros":215000000,"elapsedTimeMicros":1000000,)"
          R"("timestampEpochMicros":1700000000000000,"playbackRate":1,"artworkData":")"
        + art.toBase64() + "\"}}";
    for (auto _ : state) {
        const QJsonObject object = QJsonDocument::fromJson(line).object();
        const auto track = MediaRemoteAdapterClient::trackFromPayload(object.value(QLatin1String("payload")).toObject());
        benchmark::DoNotOptimize(track);
    }
    state.counters["line_bytes"] = double(line.size());
}
BENCHMARK(StreamLineWithArtworkToTrack)->Unit(benchmark::kMillisecond);

void StreamLongLineInChunks(benchmark::State& state)
{
    // A 4 MB artwork line as the pipe delivers it, in 64 KB reads, through the
    // client's line buffer, parse and track building. The client runs over an
    // adapter that only waits, so every chunk comes from here.
    QTemporaryDir dir;
    QDir(dir.path()).mkpath(QStringLiteral("share"));
    QDir(dir.path()).mkpath(QStringLiteral("lib/MediaRemoteAdapter.framework"));
    QFile script(dir.filePath(QStringLiteral("share/mediaremote-adapter.pl")));
    if (!script.open(QIODevice::WriteOnly)) {
        state.SkipWithError("cannot write the adapter script");
        return;
    }
    script.write("while (1) { sleep 1; }\n");
    script.close();
    MediaRemoteAdapterClient client(
        AppBundle(QStringLiteral("bench"), {}, dir.filePath(QStringLiteral("share")), dir.filePath(QStringLiteral("lib"))));
    int tracks = 0;
    QObject::connect(&client, &MediaRemoteAdapterClient::trackChanged, &client, [&tracks] { ++tracks; });
    client.start();

    const QByteArray line = R"({"type":"data","payload":{"title":"Song","playing":true,"artworkData":")"
        + QByteArray(4 * 1024 * 1024, 'A') + "\"}}\n";
    constexpr qsizetype chunk = 64 * 1024;
    for (auto _ : state) {
        for (qsizetype at = 0; at < line.size(); at += chunk)
            client.appendChunk(line.mid(at, chunk));
    }
    client.stop();
    if (tracks != int(state.iterations()))
        state.SkipWithError("a line was lost");
    state.counters["line_bytes"] = double(line.size());
}
BENCHMARK(StreamLongLineInChunks)->Unit(benchmark::kMillisecond);

void ArtworkDecodeAndAccentOffThread(benchmark::State& state)
{
    // The work the worker thread does for one 1200 x 1200 cover.
    const QByteArray jpeg = coverJpeg(1200);
    for (auto _ : state) {
        auto result = ArtworkDecoder::decodeNow(jpeg);
        benchmark::DoNotOptimize(result);
    }
    state.counters["jpeg_bytes"] = double(jpeg.size());
}
BENCHMARK(ArtworkDecodeAndAccentOffThread)->Unit(benchmark::kMillisecond);

void ArtworkGuiThreadTime(benchmark::State& state)
{
    // GUI-thread time of a new 1200 x 1200 cover: handing it to the worker,
    // then applying the decoded image and colour. The decode itself is not
    // on this thread and is excluded.
    const QByteArray jpeg = coverJpeg(1200);
    ArtworkDecoder decoder(ArtworkDecoder::workerThreads());
    for (auto _ : state) {
        QElapsedTimer timer;
        timer.start();
        bool arrived = false;
        qint64 applyNs = 0;
        decoder.decode(jpeg, [&](const ArtworkDecoder::Result& result) {
            QElapsedTimer apply;
            apply.start();
            std::optional<QImage> image = result.image; // what the service stores
            benchmark::DoNotOptimize(image);
            applyNs = apply.nsecsElapsed();
            arrived = true;
        });
        const qint64 dispatchNs = timer.nsecsElapsed();
        spinUntil([&] { return arrived; });
        state.SetIterationTime(double(dispatchNs + applyNs) / 1e9);
    }
}
BENCHMARK(ArtworkGuiThreadTime)->UseManualTime()->Unit(benchmark::kMillisecond);

void PauseFromOutsideToPublishedTrack(benchmark::State& state)
{
    // Player's pause (a PropertiesChanged on the bus) → adapter → stream line
    // → client → service → published track. Measured from the moment the
    // player is told to pause until the service publishes the paused track.
    const QString bin = qEnvironmentVariable("BRIMWELL_BINARY_DIR", QStringLiteral(BRIMWELL_BINARY_DIR));
    QProcess daemon;
    daemon.start(QStringLiteral("dbus-daemon"),
        { QStringLiteral("--session"), QStringLiteral("--nofork"), QStringLiteral("--print-address=1") });
    daemon.waitForStarted();
    QByteArray address;
    spinUntil([&] {
        daemon.waitForReadyRead(50);
        address += daemon.readAllStandardOutput();
        return address.contains('\n');
    });
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.trimmed());
    QDBusConnection bus = QDBusConnection::connectToBus(QString::fromUtf8(address.trimmed()), QStringLiteral("bench"));

    QProcess player;
    player.start(bin + QStringLiteral("/tests/test-mpris-player"), { QStringLiteral("bench") });
    QByteArray out;
    spinUntil([&] {
        player.waitForReadyRead(50);
        out += player.readAllStandardOutput();
        return out.contains("ready");
    });
    player.write("track /t/1|Song|Ann|LP|200000000|\nposition 1000000\nplay\n");

    {
        const AppBundle bundle(
            QStringLiteral("bench"), {}, bin + QStringLiteral("/share/brimwell"), bin + QStringLiteral("/lib/brimwell"));
        MprisScriptedPlayers scripted(bus);
        NetworkWebLoader web;
        DesktopApplicationCatalog catalog(bus);
        NowPlayingService service(std::make_unique<MediaRemoteAdapterClient>(bundle),
            std::make_unique<AppleScriptMediaClient>(scripted, scripted, scripted, web), catalog);
        service.start();
        if (!spinUntil([&] { return service.track() && service.track()->isPlaying; }, 10000)) {
            state.SkipWithError("the adapter never reported the test player");
        } else {
            bool playing = true;
            for (auto _ : state) {
                // Let the previous change's debounce window close: an isolated change.
                QElapsedTimer quiet;
                quiet.start();
                spinUntil([&] { return quiet.elapsed() > 400; });
                QElapsedTimer timer;
                timer.start();
                player.write(playing ? "pause\n" : "play\n");
                playing = !playing;
                spinUntil([&] { return service.track() && service.track()->isPlaying == playing; });
                state.SetIterationTime(double(timer.nsecsElapsed()) / 1e9);
            }
        }
        service.stop();
    }
    player.kill();
    player.waitForFinished();
    QDBusConnection::disconnectFromBus(QStringLiteral("bench"));
    daemon.kill();
    daemon.waitForFinished();
}
BENCHMARK(PauseFromOutsideToPublishedTrack)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

} // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("BRIMWELL_LOG", "stderr");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
