#include "SessionPlatform.h"

#include "WaylandIslandPanel.h"

#include <xcb/xcb.h>

#include <cstdlib>
#include <cstring>

namespace SessionPlatform {

namespace {

// Qt reads "-platform name" and "--platform name" (and "=name" forms).
QByteArray platformOnCommandLine(int argc, const char* const* argv)
{
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (std::strncmp(arg, "--", 2) == 0)
            ++arg;
        if (std::strncmp(arg, "-platform=", 10) == 0)
            return QByteArray(arg + 10);
        if (std::strcmp(arg, "-platform") == 0)
            return i + 1 < argc ? QByteArray(argv[i + 1]) : QByteArray("?");
    }
    return {};
}

} // namespace

Decision decide(int argc, const char* const* argv, const Environment& environment)
{
    Decision decision;
    decision.display = environment.variable("DISPLAY");
    QByteArray chosen = platformOnCommandLine(argc, argv);
    if (chosen.isEmpty())
        chosen = environment.variable("QT_QPA_PLATFORM");
    if (!chosen.isEmpty()) {
        // Qt 6.4's Wayland input context dereferences a missing seat (a
        // headless or kiosk compositor) from every Text item. Brimwell takes
        // no typed text, so it does without an input method there.
        decision.withoutInputMethod = chosen.contains("wayland") && environment.variable("QT_IM_MODULE").isEmpty();
        return decision;
    }
    const bool wayland
        = !environment.variable("WAYLAND_DISPLAY").isEmpty() || environment.variable("XDG_SESSION_TYPE") == "wayland";
    if (!wayland)
        return decision;
    if (!environment.variable("WAYLAND_DISPLAY").isEmpty() && environment.offersLayerShell()) {
        decision.outcome = Outcome::nativeWayland;
        decision.withoutInputMethod = environment.variable("QT_IM_MODULE").isEmpty();
        return decision;
    }
    const bool reachable = !decision.display.isEmpty() && environment.canReachX(decision.display);
    decision.outcome = reachable ? Outcome::throughXWayland : Outcome::noXWayland;
    return decision;
}

Environment systemEnvironment()
{
    return {
        [](const char* name) { return qgetenv(name); },
        [](const QByteArray& display) {
            xcb_connection_t* connection = xcb_connect(display.constData(), nullptr);
            const bool ok = connection && !xcb_connection_has_error(connection);
            xcb_disconnect(connection);
            return ok;
        },
        [] { return WaylandIslandPanel::compositorOffersLayerShell(); },
    };
}

namespace {

std::vector<char*> withPlatform(int argc, char** argv, char* platform)
{
    static char platformOption[] = "-platform";
    std::vector<char*> arguments(argv, argv + argc);
    arguments.push_back(platformOption);
    arguments.push_back(platform);
    arguments.push_back(nullptr);
    return arguments;
}

} // namespace

std::vector<char*> withX11Platform(int argc, char** argv)
{
    static char xcb[] = "xcb";
    return withPlatform(argc, argv, xcb);
}

std::vector<char*> withWaylandPlatform(int argc, char** argv)
{
    static char wayland[] = "wayland";
    return withPlatform(argc, argv, wayland);
}

} // namespace SessionPlatform
