// Shows the Now Playing views by hand, as the island draws them:
//   tests/nowplaying-views-harness [playing|paused|no-duration|none] [--glow 0…1] [--band-height h]
//                                  [--screenshot file.png]
// With --screenshot it saves the window once it is drawn and quits.
#include "NowPlayingScene.h"
#include "NowPlayingService.h"

#include <QCommandLineParser>
#include <QGuiApplication>
#include <QQuickItem>
#include <QStandardPaths>
#include <QTest>

#include <cstdio>

int main(int argc, char** argv)
{
    QStandardPaths::setTestModeEnabled(true);
    QGuiApplication app(argc, argv);
    QCommandLineParser parser;
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("state"), QStringLiteral("playing (default), paused, no-duration or none"));
    const QCommandLineOption glow(
        QStringLiteral("glow"), QStringLiteral("Wave glow, 0…1."), QStringLiteral("strength"), QStringLiteral("0"));
    const QCommandLineOption screenshot(
        QStringLiteral("screenshot"), QStringLiteral("Save the window here and quit."), QStringLiteral("file"));
    const QCommandLineOption bandHeight(QStringLiteral("band-height"), QStringLiteral("Height of the closed island's band."),
        QStringLiteral("points"), QStringLiteral("32"));
    parser.addOption(glow);
    parser.addOption(bandHeight);
    parser.addOption(screenshot);
    parser.process(app);

    const QString state = parser.positionalArguments().value(0, QStringLiteral("playing"));
    std::optional<MediaPlayerState> track = NowPlayingScene::playingTrack();
    if (state == QLatin1String("paused")) {
        track->isPlaying = false;
    } else if (state == QLatin1String("no-duration")) {
        track->lengthMicros.reset();
    } else if (state == QLatin1String("none")) {
        track.reset();
    } else if (state != QLatin1String("playing")) {
        std::fprintf(stderr, "unknown state %s\n", qPrintable(state));
        return 2;
    }

    NowPlayingScene scene;
    if (!scene.load(parser.value(glow).toDouble(), parser.value(bandHeight).toDouble())) {
        std::fprintf(stderr, "%s", qPrintable(scene.errors()));
        return 1;
    }
    scene.report(track);
    if (!scene.show())
        return 1;
    if (parser.isSet(screenshot)) {
        // The views fade between the track and the placeholder.
        QQuickItem* shown = scene.item(track ? QStringLiteral("playingContent") : QStringLiteral("placeholder"));
        const double opacity = track ? 1.0 : 0.45;
        if (!QTest::qWaitFor([&] { return shown->opacity() == opacity; }, 3000))
            std::fprintf(stderr, "the views did not settle; saving them as they are\n");
        return scene.view().grabWindow().save(parser.value(screenshot)) ? 0 : 1;
    }
    return app.exec();
}
