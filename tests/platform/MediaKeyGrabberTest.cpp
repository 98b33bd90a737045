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

class MediaKeyGrabberTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "needs the test X server";
        other = xcb_connect(qgetenv("DISPLAY").constData(), nullptr);
        ASSERT_FALSE(xcb_connection_has_error(other));
        root = xcb_setup_roots_iterator(xcb_get_setup(other)).data->root;
        raiseVolume = keycodeOf(other, 0x1008FF13);
        ASSERT_NE(raiseVolume, 0) << "the test server's keymap lacks XF86AudioRaiseVolume";
        grabber.setHandler([this](const MediaKeyPress& press) {
            presses.append(press);
            return answer;
        });
    }
    void TearDown() override { xcb_disconnect(other); }

    static void type(const char* keys)
    {
        ASSERT_EQ(QProcess::execute(QStringLiteral("xdotool"), { QStringLiteral("key"), QLatin1String(keys) }), 0);
    }
    bool pressesReach(int count)
    {
        return QTest::qWaitFor([&] { return presses.size() >= count; }, 5000);
    }

    xcb_connection_t* other = nullptr;
    xcb_window_t root = 0;
    xcb_keycode_t raiseVolume = 0;
    static xcb_connection_t* appConnection()
    {
        auto* x11 = qGuiApp->nativeInterface<QNativeInterface::QX11Application>();
        return x11 ? x11->connection() : nullptr;
    }
    X11MediaKeyGrabber grabber { appConnection() };
    QList<MediaKeyPress> presses;
    bool answer = true;
};

TEST_F(MediaKeyGrabberTest, TakesPressesWithTheFineStepLetsDeclinedOnesThroughAndYieldsToAHolder)
{
    // Held by another program: not trusted, and asking does not take the keys.
    std::free(xcb_request_check(
        other, xcb_grab_key_checked(other, false, root, 0, raiseVolume, XCB_GRAB_MODE_ASYNC, XCB_GRAB_MODE_ASYNC)));
    EXPECT_FALSE(grabber.isTrusted());
    EXPECT_FALSE(grabber.grab());
    EXPECT_FALSE(grabber.isGrabbed());
    xcb_ungrab_key(other, raiseVolume, root, 0);
    std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr)); // the ungrab has reached the server
    EXPECT_TRUE(grabber.isTrusted());
    EXPECT_FALSE(grabber.isGrabbed());

    ASSERT_TRUE(grabber.grab());
    type("XF86AudioRaiseVolume");
    ASSERT_TRUE(pressesReach(2));
    EXPECT_EQ(presses[0], (MediaKeyPress { MediaKey::volumeUp, true, false }));
    EXPECT_EQ(presses[1], (MediaKeyPress { MediaKey::volumeUp, false, false }));
    type("shift+alt+XF86MonBrightnessDown");
    ASSERT_TRUE(pressesReach(4));
    EXPECT_EQ(presses[2], (MediaKeyPress { MediaKey::brightnessDown, true, true }));
    type("shift+XF86AudioMute"); // Shift alone is no fine step: the desktop keeps it
    type("Caps_Lock");
    type("XF86AudioLowerVolume");
    type("Caps_Lock");
    ASSERT_TRUE(pressesReach(6));
    EXPECT_EQ(presses[4], (MediaKeyPress { MediaKey::volumeDown, true, false }));
    grabber.release();
    type("XF86AudioRaiseVolume");
    QCoreApplication::processEvents();
    EXPECT_EQ(presses.size(), 6);

    // A declined press reaches the focused window.
    const xcb_window_t window = xcb_generate_id(other);
    const uint32_t events = XCB_EVENT_MASK_KEY_PRESS;
    xcb_create_window(other, XCB_COPY_FROM_PARENT, window, root, 0, 0, 10, 10, 0, XCB_WINDOW_CLASS_INPUT_OUTPUT,
        XCB_COPY_FROM_PARENT, XCB_CW_EVENT_MASK, &events);
    xcb_map_window(other, window);
    xcb_set_input_focus(other, XCB_INPUT_FOCUS_POINTER_ROOT, window, XCB_CURRENT_TIME);
    std::free(xcb_get_input_focus_reply(other, xcb_get_input_focus(other), nullptr));
    answer = false;
    ASSERT_TRUE(grabber.grab());
    type("XF86AudioRaiseVolume");
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
    xcb_destroy_window(other, window);
    xcb_flush(other);
}

} // namespace
