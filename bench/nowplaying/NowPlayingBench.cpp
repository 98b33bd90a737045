// Now Playing benchmarks. Run from the build tree:
//   bench/bench_nowplaying --benchmark_repetitions=5 --benchmark_report_aggregates_only=true
// The end-to-end one starts a private dbus-daemon and the test MPRIS player;
// it needs BRIMWELL_BINARY_DIR (defaults to the build tree).

#include "../BenchLoop.h"
#include "../BenchStats.h"
#include "ArtworkDecoder.h"
#include "ChildProcess.h"
#include "Clock.h"
#include "DesktopApplicationCatalog.h"
#include "MprisWatcher.h"
#include "NetworkWebLoader.h"
#include "NowPlayingService.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGuiApplication>
#include <QImage>
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

void PlayerSignalToPublishedTrack(benchmark::State& state)
{
    // A player's pause or play (its PropertiesChanged on the bus) → the
    // watcher → the service publishing the track. Timed from the moment the
    // player sent its signal (it reports that on the shared monotonic clock)
    // until the track is published; 50 changes per iteration, each isolated.
    const QString bin = qEnvironmentVariable("BRIMWELL_BINARY_DIR", QStringLiteral(BRIMWELL_BINARY_DIR));
    ChildProcess::PrivateBus daemon;
    qputenv("DBUS_SESSION_BUS_ADDRESS", daemon.address.toUtf8());
    QDBusConnection bus = QDBusConnection::connectToBus(daemon.address, QStringLiteral("bench"));

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
        MprisWatcher players(bus, Clock::system());
        NetworkWebLoader web;
        DesktopApplicationCatalog catalog(bus);
        NowPlayingService service(players, catalog, web);
        qint64 publishedNs = 0;
        QObject::connect(&service, &NowPlayingService::trackChanged, &service, [&] { publishedNs = monotonicNs(); });
        service.start();
        if (!spinUntil([&] { return service.track() && service.track()->isPlaying; }, 10000)) {
            state.SkipWithError("the watcher never reported the test player");
        } else {
            bool playing = true;
            std::vector<double> samples;
            for (auto _ : state) {
                for (int change = 0; change < 50; ++change) {
                    out.clear();
                    player.readAllStandardOutput();
                    player.write(playing ? "pause\n" : "play\n");
                    playing = !playing;
                    spinUntil([&] { return service.track() && service.track()->isPlaying == playing; });
                    const qint64 published = publishedNs;
                    spinUntil([&] {
                        out += player.readAllStandardOutput();
                        return out.contains("signalled ");
                    });
                    const qint64 signalled = out.mid(out.indexOf("signalled ") + 10).split('\n').value(0).toLongLong();
                    samples.push_back(double(published - signalled) / 1e6);
                    // The position read the change starts settles before the next one.
                    QElapsedTimer quiet;
                    quiet.start();
                    spinUntil([&] { return quiet.elapsed() > 20; });
                }
            }
            state.counters["median_ms"] = percentile(samples, 0.5);
            state.counters["p95_ms"] = percentile(samples, 0.95);
            state.counters["changes"] = double(samples.size());
        }
        service.stop();
    }
    player.kill();
    player.waitForFinished();
    QDBusConnection::disconnectFromBus(QStringLiteral("bench"));
}
BENCHMARK(PlayerSignalToPublishedTrack)->Unit(benchmark::kMillisecond)->Iterations(1);

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
