// The yardstick for the closed island's cost: a bare Qt Quick window, black,
// the size of the closed island, with nothing in it but four bars 2 wide,
// 2 apart and 14 high that rise and fall as the island's audio bars do,
// moved FPS times a second.
//
//   bench_wave_reference FPS [WIDTH HEIGHT]
//
// The scene graph backend is Qt's choice (QT_QUICK_BACKEND and friends), so
// the caller can give it the renderer Brimwell uses.

#include <QGuiApplication>
#include <QQmlApplicationEngine>
#include <QString>

int main(int argc, char** argv)
{
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    const int fps = args.value(1, QStringLiteral("30")).toInt();
    const int width = args.value(2, QStringLiteral("290")).toInt();
    const int height = args.value(3, QStringLiteral("32")).toInt();

    const QString qml = QStringLiteral(R"(
import QtQuick
import QtQuick.Window
Window {
    id: window
    title: "Brimwell footprint reference"
    flags: Qt.FramelessWindowHint | Qt.WindowStaysOnTopHint
    x: 0; y: 400; width: %1; height: %2
    color: "black"
    visible: true
    property real time: 0
    // Ease in and out, up from 0.25 to 1 and back, as the island's bars.
    function scaleAt(i, t) {
        const half = [0.52, 0.71, 0.46, 0.63][i];
        const c = (t + 0.13 * i) % (2 * half);
        const p = c < half ? c / half : 2 - c / half;
        return 0.25 + 0.75 * p * p * (3 - 2 * p);
    }
    Timer {
        interval: 1000 / %3; repeat: true; running: true
        property double start: Date.now()
        onTriggered: window.time = (Date.now() - start) / 1000
    }
    Item {
        id: wave
        x: parent.width - 18 - width; y: (parent.height - height) / 2
        width: 14; height: 14
        Repeater {
            model: 4
            Rectangle {
                required property int index
                x: index * 4; width: 2; height: 14; radius: 1
                color: "white"; antialiasing: true
                transform: Scale { origin.y: 7; yScale: scaleAt(index, time) }
            }
        }
    }
}
)")
                            .arg(width)
                            .arg(height)
                            .arg(fps);
    QQmlApplicationEngine engine;
    engine.loadData(qml.toUtf8());
    if (engine.rootObjects().isEmpty())
        return 1;
    return app.exec();
}
