// Key press to level: the time from a synthetic volume key (XTEST) to the
// sink's confirmation of the new volume and the HUD state published, over
// 50 presses. Run by bench/hud/keypress, which starts a private Xvfb and
// PulseAudio for it.
#include "../BenchLoop.h"
#include "../BenchStats.h"
#include "HUDController.h"
#include "PulseAudioHardware.h"
#include "SettingsStore.h"
#include "SysfsBacklight.h"
#include "UserDefaults.h"
#include "X11Keys.h"
#include "X11MediaKeyGrabber.h"

#include <QDBusConnection>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QTemporaryDir>

#include <xcb/xcb.h>
#include <xcb/xtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <vector>

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "xcb");
    QGuiApplication app(argc, argv);
    QTemporaryDir home;
    UserDefaults defaults(home.filePath(QStringLiteral("settings.ini")));
    SettingsStore settings(defaults);
    settings.setReplaceSystemHUD(true);

    PulseAudioHardware audio;
    SysfsBacklight backlight(home.filePath(QStringLiteral("no-backlight")), QDBusConnection::systemBus());
    auto* x11 = app.nativeInterface<QNativeInterface::QX11Application>();
    X11MediaKeyGrabber keys(x11 ? x11->connection() : nullptr);
    HUDController hud(settings, audio, backlight, keys);
    hud.start();
    if (!spinUntil([&] { return hud.volume().isAdjustable() && keys.isGrabbed(); }, 10000)) {
        std::fprintf(stderr, "no sink or the media keys were not taken\n");
        return 1;
    }

    xcb_connection_t* user = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(user)).data->root;
    const xcb_keycode_t up = keycodeOf(user, 0x1008FF13);
    const xcb_keycode_t down = keycodeOf(user, 0x1008FF11);
    hud.volume().setLevel(0.5);
    spinFor(300); // let the server settle

    bool confirmed = false;
    QObject::connect(&audio, &AudioHardware::deviceChanged, [&] { confirmed = true; });
    std::vector<double> ms;
    for (int i = 0; i < 50; ++i) {
        const bool raise = hud.volume().level() <= 0.5;
        const double expected = HUDController::stepped(hud.volume().level(), HUDController::normalStep, raise ? 1 : -1);
        const xcb_keycode_t key = raise ? up : down;
        confirmed = false;
        QElapsedTimer timer;
        timer.start();
        xcb_test_fake_input(user, XCB_KEY_PRESS, key, XCB_CURRENT_TIME, root, 0, 0, 0);
        xcb_test_fake_input(user, XCB_KEY_RELEASE, key, XCB_CURRENT_TIME, root, 0, 0, 0);
        xcb_flush(user);
        const bool done = spinUntil(
            [&] {
                const auto& state = hud.presenter()->state();
                return confirmed && state && state->level == expected;
            },
            2000);
        if (!done) {
            std::fprintf(stderr, "press %d: no confirmation within 2 s\n", i);
            return 1;
        }
        ms.push_back(double(timer.nsecsElapsed()) / 1e6);
    }
    xcb_disconnect(user);
    std::printf("key press to sink confirmed and HUD shown, %zu presses: median %.2f ms, p95 %.2f ms, max %.2f ms\n", ms.size(),
        percentile(ms, 0.5), percentile(ms, 0.95), *std::max_element(ms.begin(), ms.end()));
    return 0;
}
