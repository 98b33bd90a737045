#pragma once

#include <QByteArray>

#include <functional>
#include <vector>

/// Which Qt platform Brimwell runs on, decided before the application object
/// exists. On a Wayland session whose compositor offers the layer shell the
/// island is a native layer surface and Qt runs on Wayland; elsewhere the
/// island needs X11 (an override-redirect panel, global pointer state, key
/// grabs, XDND), so it runs through XWayland unless the user chose a
/// platform.
namespace SessionPlatform {

enum class Outcome {
    asChosen, ///< an X11 session, or the user chose a platform
    nativeWayland, ///< a Wayland session whose compositor offers the layer shell
    throughXWayland, ///< a Wayland session with a reachable X display
    noXWayland, ///< a Wayland session and no X display answers
};

struct Environment {
    std::function<QByteArray(const char*)> variable; ///< empty when unset
    std::function<bool(const QByteArray&)> canReachX; ///< whether an X server answers on that display
    std::function<bool()> offersLayerShell; ///< whether the Wayland compositor answers with a layer shell
};

struct Decision {
    Outcome outcome = Outcome::asChosen;
    QByteArray display; ///< the X display, for the log
    bool withoutInputMethod = false; ///< the user chose Wayland: no input method while Qt starts
};

Decision decide(int argc, const char* const* argv, const Environment& environment);

/// The process's own environment, reaching X with a real connection.
Environment systemEnvironment();

/// The command line with "-platform wayland" added, as withX11Platform.
std::vector<char*> withWaylandPlatform(int argc, char** argv);

/// The command line with "-platform xcb" added, null-terminated as argv is,
/// for QApplication. It points into `argv` and static text.
std::vector<char*> withX11Platform(int argc, char** argv);

} // namespace SessionPlatform
