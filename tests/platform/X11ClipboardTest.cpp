#include "X11Clipboard.h"
#include "X11SelectionOwner.h"

#include <QGuiApplication>
#include <QProcess>
#include <QSignalSpy>
#include <QTest>

#include <gtest/gtest.h>

// The X11 clipboard on the test X server, written by other clients (xclip,
// or a client of the test's own that offers several types or never answers).
namespace {

class X11ClipboardTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_EQ(QGuiApplication::platformName(), QStringLiteral("xcb")) << "needs the test X server"; }

    static void xclip(const QByteArray& text, const char* type = "UTF8_STRING")
    {
        QProcess process;
        process.start(QStringLiteral("xclip"),
            { QStringLiteral("-selection"), QStringLiteral("clipboard"), QStringLiteral("-t"), QLatin1String(type) });
        process.write(text);
        process.closeWriteChannel();
        ASSERT_TRUE(process.waitForFinished(5000)); // xclip forks and serves in the background
    }
    static QByteArray pasted()
    {
        QProcess process;
        process.start(
            QStringLiteral("xclip"), { QStringLiteral("-o"), QStringLiteral("-selection"), QStringLiteral("clipboard") });
        // We may be the owner: our event loop must turn to answer.
        EXPECT_TRUE(QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 5000));
        return process.readAllStandardOutput();
    }
    SystemClipboard::Contents readNow(bool wantsText = true)
    {
        std::optional<SystemClipboard::Contents> result;
        systemClipboard.read([wantsText](const SystemClipboard::Contents&) { return wantsText; },
            [&](const SystemClipboard::Contents& contents) { result = contents; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
        return result.value_or(SystemClipboard::Contents {});
    }

    X11Clipboard systemClipboard;
};

TEST_F(X11ClipboardTest, NoticesCopiesAndReadsTheirTextInWholeOrNotAtAll)
{
    QSignalSpy changed(&systemClipboard, &SystemClipboard::changed);
    const int before = systemClipboard.changeCount();
    xclip("copied by another client");
    ASSERT_TRUE(changed.wait(5000));
    EXPECT_GT(systemClipboard.changeCount(), before);
    SystemClipboard::Contents contents = readNow();
    EXPECT_TRUE(contents.types.contains(QStringLiteral("UTF8_STRING")));
    EXPECT_EQ(contents.text, QStringLiteral("copied by another client"));

    // 200 KB arrives in pieces (INCR); 1 MB is over the bound and not kept.
    xclip(QByteArray(200'000, 'a'));
    ASSERT_TRUE(changed.wait(5000));
    contents = readNow();
    ASSERT_TRUE(contents.text);
    EXPECT_EQ(contents.text->size(), 200'000);
    xclip(QByteArray(1'000'000, 'b'));
    ASSERT_TRUE(changed.wait(5000));
    contents = readNow();
    EXPECT_TRUE(contents.isTooLong);
    EXPECT_FALSE(contents.text);

    // Our own write carries its marker and reaches other clients.
    ASSERT_TRUE(systemClipboard.writeText(QStringLiteral("written back"), QStringLiteral("application/x-test-marker")));
    EXPECT_EQ(pasted(), QByteArray("written back"));
    contents = readNow();
    EXPECT_TRUE(contents.types.contains(QStringLiteral("application/x-test-marker")));
}

TEST_F(X11ClipboardTest, MarkersAreReadBeforeTheTextWhichIsLeftAloneWhenNotWanted)
{
    // The window in front, as a window manager announces it, names the source.
    xcb_connection_t* wm = xcb_connect(nullptr, nullptr);
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(wm)).data->root;
    const xcb_window_t editor = xcb_generate_id(wm);
    xcb_create_window(
        wm, XCB_COPY_FROM_PARENT, editor, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY, XCB_COPY_FROM_PARENT, 0, nullptr);
    xcb_change_property(
        wm, XCB_PROP_MODE_REPLACE, editor, XCB_ATOM_WM_CLASS, XCB_ATOM_STRING, 8, 26, "no-such-entry\0Test Editor\0");
    auto* active = xcb_intern_atom_reply(wm, xcb_intern_atom(wm, false, 18, "_NET_ACTIVE_WINDOW"), nullptr);
    xcb_change_property(wm, XCB_PROP_MODE_REPLACE, root, active->atom, XCB_ATOM_WINDOW, 32, 1, &editor);
    std::free(active);
    std::free(xcb_get_input_focus_reply(wm, xcb_get_input_focus(wm), nullptr));

    QSignalSpy changed(&systemClipboard, &SystemClipboard::changed);
    X11SelectionOwner owner(qgetenv("DISPLAY"),
        { { "UTF8_STRING", "hunter2" }, { "x-kde-passwordManagerHint", "secret" }, { "text/uri-list", "file:///tmp/a\r\n" } });
    ASSERT_TRUE(changed.wait(5000));
    const SystemClipboard::Contents contents = readNow(false);
    EXPECT_EQ(contents.markers.value(QStringLiteral("x-kde-passwordManagerHint")), QByteArray("secret"));
    EXPECT_EQ(contents.markers.value(QStringLiteral("text/uri-list")), QByteArray("file:///tmp/a\r\n"));
    EXPECT_FALSE(contents.text);
    EXPECT_EQ(owner.requests(), 3) << "TARGETS and the two markers, never the text";
    EXPECT_EQ(contents.sourceAppName, QStringLiteral("Test Editor"));
    xcb_disconnect(wm);
}

TEST_F(X11ClipboardTest, AnOwnerThatNeverAnswersCostsTheGuiThreadNothing)
{
    QSignalSpy changed(&systemClipboard, &SystemClipboard::changed);
    X11SelectionOwner hung(qgetenv("DISPLAY"), { { "UTF8_STRING", "never sent" } }, false);
    ASSERT_TRUE(changed.wait(5000));

    std::optional<SystemClipboard::Contents> result;
    systemClipboard.read([](const SystemClipboard::Contents&) { return true; },
        [&](const SystemClipboard::Contents& contents) { result = contents; });
    EXPECT_FALSE(result) << "the read returns before the owner answers";
    // The event loop keeps turning while the read waits on its own thread,
    // and the read ends as timed out (how fast is bench/clipboard's to say).
    int turns = 0;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            ++turns;
            return result.has_value();
        },
        5000));
    ASSERT_TRUE(result);
    EXPECT_TRUE(result->timedOut);
    EXPECT_GT(turns, 1);
}

} // namespace
