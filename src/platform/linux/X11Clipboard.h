#pragma once

#include "SystemClipboard.h"
#include "X11ReaderThread.h"

#include <QHash>
#include <QMutex>
#include <QStringList>

#include <atomic>
#include <deque>
#include <memory>

#include <xcb/xcb.h>

/// The X11 CLIPBOARD selection, watched through XFixes and read by a thread
/// of its own on its own X connection, so an owner that is slow or never
/// answers costs the GUI thread nothing. Writes go through QClipboard,
/// which serves the selection from the GUI thread's event loop.
class X11Clipboard final : public SystemClipboard {
    Q_OBJECT
public:
    /// Each conversion waits at most this long for the owner.
    static constexpr int answerBoundMs = 500;
    /// Text beyond this many bytes is not read (no text of 100,000 UTF-16
    /// code units needs more than 300,000 UTF-8 bytes).
    static constexpr qsizetype textBoundBytes = 400'000;
    /// The list of types and the markers (the password manager's hint, a URI
    /// list) are read up to this many bytes.
    static constexpr qsizetype markerBoundBytes = 64 * 1024;
    /// Marks our own writes; other programs see it as one more type.
    static constexpr const char* ownWriteType = "application/x-brimwell-history-copy";

    /// Connects to `display` (empty: $DISPLAY). Without a display, or
    /// without XFixes, the counter never moves and reads find nothing.
    explicit X11Clipboard(const QByteArray& display = {}, QObject* parent = nullptr);
    ~X11Clipboard() override;
    X11Clipboard(const X11Clipboard&) = delete;
    X11Clipboard& operator=(const X11Clipboard&) = delete;

    int changeCount() const override { return m_changeCount.load(); }
    void read(ReadHandler done) override;
    bool writeText(const QString& text) override;
    bool writeFiles(const QList<QUrl>& files) override;

    /// What the types on offer make of a copy; `markerValue` gives the
    /// content of the password manager's hint and of the URI list, when
    /// offered.
    static Kind kindOf(const QStringList& types, const std::function<QByteArray(const char* type)>& markerValue);

private:
    void run();
    void handleEvent(xcb_generic_event_t* event);
    Contents readContents();
    /// The selection converted to `target`: empty with `ok` false when the
    /// owner refused or did not answer within the bound.
    QByteArray convert(const char* target, bool& ok, bool& timedOut, qsizetype bound = textBoundBytes);
    xcb_generic_event_t* waitForEvent(qint64 deadlineMs, const std::function<bool(xcb_generic_event_t*)>& wanted);
    xcb_atom_t atom(const char* name);
    QString atomName(xcb_atom_t atom);
    std::optional<QString> activeApplicationName();

    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_window_t m_root = 0;
    uint8_t m_xfixesEvent = 0;
    xcb_atom_t m_clipboard = 0;
    xcb_atom_t m_property = 0;
    // Interned once each: names never change their atom on a server.
    QHash<QByteArray, xcb_atom_t> m_atoms; // worker thread after construction
    std::atomic<int> m_changeCount { 0 };
    QMutex m_mutex;
    std::deque<ReadHandler> m_requests; // guarded by m_mutex
    std::optional<QString> m_sourceAppName; // worker thread only
    X11ReaderThread m_reader;
};
