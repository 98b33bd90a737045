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

TEST(X11ClipboardTest, ReadsCopiesInWholeOrNotAtAllButNoSecretAndWaitsOnNoHungOwner)
{
    ASSERT_EQ(QGuiApplication::platformName(), "xcb") << "needs the test X server";
    X11Clipboard clipboard;
    const auto readNow = [&] {
        std::optional<SystemClipboard::Contents> result;
        clipboard.read([&](const SystemClipboard::Contents& contents) { result = contents; });
        EXPECT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
        return result.value_or(SystemClipboard::Contents {});
    };
    // Another client (xclip) copies `text`; what a read then gives.
    const auto copy = [&](const QByteArray& text) {
        QSignalSpy changed(&clipboard, &SystemClipboard::changed);
        QProcess process;
        process.start("xclip", { "-selection", "clipboard", "-t", "UTF8_STRING" });
        process.write(text);
        process.closeWriteChannel();
        EXPECT_TRUE(process.waitForFinished(5000)); // xclip forks and serves in the background
        EXPECT_TRUE(changed.wait(5000));
        return readNow();
    };

    const int before = clipboard.changeCount();
    SystemClipboard::Contents contents = copy("copied by another client");
    EXPECT_GT(clipboard.changeCount(), before);
    EXPECT_EQ(contents.kind, SystemClipboard::Kind::plain);
    EXPECT_EQ(contents.text, "copied by another client");

    // Both sides of the bound; either comes in pieces (INCR).
    EXPECT_EQ(copy(QByteArray(X11Clipboard::textBoundBytes, 'a')).text.value_or(QString()).size(), X11Clipboard::textBoundBytes);
    contents = copy(QByteArray(X11Clipboard::textBoundBytes + 1, 'b'));
    EXPECT_TRUE(contents.isTooLong);
    EXPECT_FALSE(contents.text);

    // Our own write reaches other clients and reads back as ours.
    ASSERT_TRUE(clipboard.writeText("written back"));
    QProcess paste;
    paste.start("xclip", { "-o", "-selection", "clipboard" });
    // We are the owner: our event loop must turn to answer.
    EXPECT_TRUE(QTest::qWaitFor([&] { return paste.state() == QProcess::NotRunning; }, 5000));
    EXPECT_EQ(paste.readAllStandardOutput(), QByteArray("written back"));
    contents = readNow();
    EXPECT_EQ(contents.kind, SystemClipboard::Kind::own);
    EXPECT_FALSE(contents.text);

    // A marked secret's text is never read; the window in front, as a window
    // manager announces it, names the source.
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

    QSignalSpy changed(&clipboard, &SystemClipboard::changed);
    X11SelectionOwner owner(qgetenv("DISPLAY"),
        { { "UTF8_STRING", "hunter2" }, { "x-kde-passwordManagerHint", "secret" }, { "text/uri-list", "file:///tmp/a\r\n" } });
    ASSERT_TRUE(changed.wait(5000));
    contents = readNow();
    EXPECT_EQ(contents.kind, SystemClipboard::Kind::secret);
    EXPECT_FALSE(contents.text);
    EXPECT_EQ(owner.requests(), 2) << "TARGETS and the hint, never the text";
    EXPECT_EQ(contents.sourceAppName, "Test Editor");
    xcb_disconnect(wm);

    // An owner that never answers costs the GUI thread nothing.
    X11SelectionOwner hung(qgetenv("DISPLAY"), { { "UTF8_STRING", "never sent" } }, false);
    ASSERT_TRUE(changed.wait(5000));

    std::optional<SystemClipboard::Contents> result;
    clipboard.read([&](const SystemClipboard::Contents& read) { result = read; });
    EXPECT_FALSE(result) << "the read returns before the owner answers";
    ASSERT_TRUE(QTest::qWaitFor([&] { return result.has_value(); }, 5000));
    EXPECT_TRUE(result->timedOut);
}

TEST(X11ClipboardKindTest, TheTypesOnOfferTellSecretsAndFilesFromText)
{
    using Kind = SystemClipboard::Kind;
    const auto kind = [](QStringList types, QByteArray hint = {}, QByteArray uris = {}) {
        types.prepend(QStringLiteral("UTF8_STRING"));
        return X11Clipboard::kindOf(types, [&](const char* type) { return qstrcmp(type, "text/uri-list") == 0 ? uris : hint; });
    };
    EXPECT_EQ(kind({}), Kind::plain);
    for (const char* type : { "org.nspasteboard.ConcealedType", "org.nspasteboard.TransientType",
             "org.nspasteboard.AutoGeneratedType", "com.agilebits.onepassword", "de.petermaurer.TransientPasteboardType" })
        EXPECT_EQ(kind({ QLatin1String(type) }), Kind::secret) << type;
    for (const char* type : { "public.file-url", "x-special/gnome-copied-files", "application/x-kde-cutselection" })
        EXPECT_EQ(kind({ QLatin1String(type) }), Kind::files) << type;
    EXPECT_EQ(kind({ "application/x-brimwell-history-copy" }), Kind::own);

    const QStringList hinted { "x-kde-passwordManagerHint" };
    EXPECT_EQ(kind(hinted, "secret"), Kind::secret);
    EXPECT_EQ(kind(hinted, " secret\n"), Kind::secret);
    EXPECT_EQ(kind(hinted, "secrets"), Kind::plain);
    EXPECT_EQ(kind(hinted, ""), Kind::plain);
    EXPECT_EQ(kind({}, "secret"), Kind::plain) << "a hint's value counts only when the hint is offered";

    // A URI list is a file copy only when every entry is a local file.
    const QStringList listed { "text/uri-list" };
    EXPECT_EQ(kind(listed, {}, "file:///home/me/a.txt\r\nfile:///home/me/b.txt\r\n"), Kind::files);
    EXPECT_EQ(kind(listed, {}, "# copied\r\nfile:///home/me/a.txt\r\n"), Kind::files);
    EXPECT_EQ(kind(listed, {}, "file:///home/me/a.txt\r\nhttps://example.org\r\n"), Kind::plain);
    EXPECT_EQ(kind(listed, {}, "https://example.org\r\n"), Kind::plain);
    EXPECT_EQ(kind(listed, {}, "# nothing\r\n"), Kind::plain);
}

} // namespace
