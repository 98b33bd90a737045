#include "SessionPlatform.h"

#include <QMap>

#include <gtest/gtest.h>

namespace {

using SessionPlatform::Outcome;

// What the program decides for `variables`, the command line's `arguments`,
// an X server that answers or not and a compositor with the layer shell or not.
SessionPlatform::Decision decideFor(
    const QMap<QByteArray, QByteArray>& variables, std::vector<const char*> argv, bool xAnswers, bool layerShell)
{
    argv.insert(argv.begin(), "brimwell");
    return SessionPlatform::decide(int(argv.size()), argv.data(),
        { [&](const char* name) { return variables.value(name); }, [&](const QByteArray&) { return xAnswers; },
            [&] { return layerShell; } });
}

struct Case {
    const char* name;
    QMap<QByteArray, QByteArray> environment;
    std::vector<const char*> arguments;
    bool xAnswers;
    Outcome expected;
    bool layerShell = false;
};

TEST(SessionPlatformTest, ChoosesNativeWaylandOrXWaylandOnlyWhereTheUserChoseNothing)
{
    const Case cases[] = {
        { "X11 session", { { "DISPLAY", ":0" }, { "XDG_SESSION_TYPE", "x11" } }, {}, true, Outcome::asChosen },
        { "Wayland socket", { { "DISPLAY", ":1" }, { "WAYLAND_DISPLAY", "wayland-0" } }, {}, true, Outcome::throughXWayland },
        { "session type only", { { "DISPLAY", ":1" }, { "XDG_SESSION_TYPE", "wayland" } }, {}, true, Outcome::throughXWayland },
        { "platform in environment", { { "DISPLAY", ":1" }, { "WAYLAND_DISPLAY", "w" }, { "QT_QPA_PLATFORM", "wayland" } }, {},
            false, Outcome::asChosen },
        { "empty platform variable", { { "DISPLAY", ":1" }, { "WAYLAND_DISPLAY", "w" }, { "QT_QPA_PLATFORM", "" } }, {}, true,
            Outcome::throughXWayland },
        { "-platform", { { "WAYLAND_DISPLAY", "w" } }, { "-platform", "wayland" }, false, Outcome::asChosen },
        { "--platform=", { { "WAYLAND_DISPLAY", "w" } }, { "--platform=wayland" }, false, Outcome::asChosen },
        { "unrelated argument", { { "DISPLAY", ":1" }, { "WAYLAND_DISPLAY", "w" } }, { "-platformtheme", "x" }, true,
            Outcome::throughXWayland },
        { "no DISPLAY", { { "WAYLAND_DISPLAY", "w" } }, {}, true, Outcome::noXWayland },
        { "X does not answer", { { "DISPLAY", ":9" }, { "WAYLAND_DISPLAY", "w" } }, {}, false, Outcome::noXWayland },
        // Native wherever the compositor offers the layer shell, X or not.
        { "layer shell", { { "DISPLAY", ":1" }, { "WAYLAND_DISPLAY", "w" } }, {}, true, Outcome::nativeWayland, true },
        { "layer shell, no X", { { "WAYLAND_DISPLAY", "w" } }, {}, false, Outcome::nativeWayland, true },
        { "layer shell, X chosen", { { "WAYLAND_DISPLAY", "w" }, { "QT_QPA_PLATFORM", "xcb" } }, {}, true, Outcome::asChosen,
            true },
        // Without a socket to ask, only XWayland is left.
        { "session type only, layer shell", { { "DISPLAY", ":1" }, { "XDG_SESSION_TYPE", "wayland" } }, {}, true,
            Outcome::throughXWayland, true },
    };
    for (const Case& c : cases)
        EXPECT_EQ(decideFor(c.environment, c.arguments, c.xAnswers, c.layerShell).outcome, c.expected) << c.name;
}

TEST(SessionPlatformTest, DoesWithoutAnInputMethodOnlyWhenTheUserChoseWaylandAndNoInputMethod)
{
    const auto without
        = [](const QMap<QByteArray, QByteArray>& variables, std::vector<const char*> argv, bool layerShell = false) {
              return decideFor(variables, std::move(argv), true, layerShell).withoutInputMethod;
          };
    EXPECT_TRUE(without({ { "QT_QPA_PLATFORM", "wayland" } }, {}));
    EXPECT_TRUE(without({ { "QT_QPA_PLATFORM", "xcb" } }, { "-platform", "wayland-egl" }));
    EXPECT_FALSE(without({ { "QT_QPA_PLATFORM", "wayland" }, { "QT_IM_MODULE", "ibus" } }, {}));
    EXPECT_FALSE(without({ { "QT_QPA_PLATFORM", "wayland" } }, { "-platform", "xcb" }));
    EXPECT_FALSE(without({ { "WAYLAND_DISPLAY", "w" }, { "DISPLAY", ":1" } }, {}));
    EXPECT_TRUE(without({ { "WAYLAND_DISPLAY", "w" } }, {}, true));
    EXPECT_FALSE(without({ { "WAYLAND_DISPLAY", "w" }, { "QT_IM_MODULE", "ibus" } }, {}, true));
}

TEST(SessionPlatformTest, AddsTheX11PlatformToANullTerminatedCommandLine)
{
    char program[] = "brimwell";
    char* argv[] = { program, nullptr };
    const std::vector<char*> arguments = SessionPlatform::withX11Platform(1, argv);
    ASSERT_EQ(arguments.size(), 4u);
    EXPECT_STREQ(arguments[1], "-platform");
    EXPECT_STREQ(arguments[2], "xcb");
    EXPECT_EQ(arguments[3], nullptr);
    EXPECT_STREQ(SessionPlatform::withWaylandPlatform(1, argv)[2], "wayland");
}

} // namespace
