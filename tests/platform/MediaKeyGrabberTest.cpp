#include "X11Keys.h"
#include "X11MediaKeyGrabber.h"

#include <QGuiApplication>
#include <QProcess>
#include <QTest>

#include <gtest/gtest.h>

// The grabs on the test X server, pressed as a user would (XTEST through
// xdotool), with a second client standing in for a desktop's own key handler
// and for the focused window.
namespace {

void pressKeys(const char* keys)
{
    ASSERT_EQ(QProcess::execute("xdotool", { "key", keys }), 0);
}

TEST(MediaKeyGrabberTest, TakesPressesWithTheFineStepLetsDeclinedOnesThroughAndYieldsToAHolder)
{
    auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
    ASSERT_TRUE(x11) << "needs the test X server";
    const std::unique_ptr<xcb_connection_t, decltype(&xcb_disconnect)> connection(xcb_connect(nullptr, nullptr), &xcb_disconnect);
    xcb_connection_t* other = connection.get();
    ASSERT_FALSE(xcb_connection_has_error(other));
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
    const xcb_keycode_t raiseVolume = keycodeOf(other, 0x1008FF13);
    ASSERT_NE(raiseVolume, 0) << "the test server's keymap lacks XF86AudioRaiseVolume";
    // Once the answer to a request of `other` is here, the server has handled what it sent before.
    const auto sync = [&] { std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr)); };
    X11MediaKeyGrabber grabber(x11->connection());
    QList<MediaKeyPress> presses;
    bool answer = true;
    grabber.setHandler([&](const MediaKeyPress& press) {
        presses.append(press);
        return answer;
    });
    const auto pressesReach = [&](int count) { return QTest::qWaitFor([&] { return presses.size() >= count; }, 5000); };

    // Held by another program: not trusted, and asking does not take the keys.
    xcb_grab_key(other, false, root, 0, raiseVolume, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC);
    sync();
    EXPECT_FALSE(grabber.isTrusted());
    EXPECT_FALSE(grabber.grab());
    EXPECT_FALSE(grabber.isGrabbed());
    xcb_ungrab_key(other, raiseVolume, root, 0);
    sync();
    EXPECT_TRUE(grabber.isTrusted());
    EXPECT_FALSE(grabber.isGrabbed());

    ASSERT_TRUE(grabber.grab());
    pressKeys("XF86AudioRaiseVolume");
    ASSERT_TRUE(pressesReach(2));
    EXPECT_EQ(presses[0], (MediaKeyPress { MediaKey::volumeUp, true, false }));
    EXPECT_EQ(presses[1], (MediaKeyPress { MediaKey::volumeUp, false, false }));
    pressKeys("shift+alt+XF86MonBrightnessDown");
    ASSERT_TRUE(pressesReach(4));
    EXPECT_EQ(presses[2], (MediaKeyPress { MediaKey::brightnessDown, true, true }));
    pressKeys("shift+XF86AudioMute"); // Shift alone is no fine step: the desktop keeps it
    pressKeys("Caps_Lock");
    pressKeys("XF86AudioLowerVolume");
    pressKeys("Caps_Lock");
    ASSERT_TRUE(pressesReach(6));
    EXPECT_EQ(presses[4], (MediaKeyPress { MediaKey::volumeDown, true, false }));
    grabber.release();
    pressKeys("XF86AudioRaiseVolume");
    QCoreApplication::processEvents();
    EXPECT_EQ(presses.size(), 6);

    // A declined press reaches the focused window.
    const xcb_window_t window = xcb_generate_id(other);
    const uint32_t events = XCB_EVENT_MASK_KEY_PRESS;
    xcb_create_window(other, XCB_COPY_FROM_PARENT, window, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
        XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    xcb_map_window(other, window);
    xcb_set_input_focus(other, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    sync();
    answer = false;
    ASSERT_TRUE(grabber.grab());
    pressKeys("XF86AudioRaiseVolume");
    ASSERT_TRUE(pressesReach(7));
    xcb_keycode_t received = 0;
    ASSERT_TRUE(QTest::qWaitFor(
        [&] {
            while (xcb_generic_event_t* event = xcb_poll_for_event(other)) {
                if ((event->response_type & 0x7f) == XCB_KEY_PRESS)
                    received = reinterpret_cast<xcb_key_press_event_t*>(event)->detail;
                std::free(event);
            }
            return received != 0;
        },
        5000));
    EXPECT_EQ(received, raiseVolume);
}

} // namespace
