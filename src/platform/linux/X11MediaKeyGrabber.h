#pragma once

#include "MediaKeyGrabber.h"

#include <QAbstractNativeEventFilter>
#include <QList>

#include <xcb/xcb.h>

/// Passive grabs on the root window for the media keysyms, with every
/// combination of the lock modifiers (Caps, Num, Scroll Lock where mapped)
/// and with and without Shift+Alt. The keyboard is grabbed synchronously so
/// that a press the handler declines is replayed to the window that would
/// have had it. The keymap is read again when it changes.
class X11MediaKeyGrabber final : public MediaKeyGrabber, private QAbstractNativeEventFilter {
    Q_OBJECT
public:
    /// `connection`: the application's own X connection (events arrive
    /// through Qt); null where Qt does not run on X11.
    explicit X11MediaKeyGrabber(xcb_connection_t* connection, QObject* parent = nullptr);
    ~X11MediaKeyGrabber() override;
    X11MediaKeyGrabber(const X11MediaKeyGrabber&) = delete;
    X11MediaKeyGrabber& operator=(const X11MediaKeyGrabber&) = delete;

    bool canGrab() const override { return m_connection != nullptr; }
    bool isTrusted() override;
    bool grab() override;
    void release() override;
    bool isGrabbed() const override { return m_grabbed; }

private:
    struct Binding {
        xcb_keycode_t keycode;
        MediaKey key;
    };

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr* result) override;
    void readKeymap();
    QList<uint16_t> modifierCombinations() const;
    bool grabAll();
    void ungrabAll();

    xcb_connection_t* m_connection;
    xcb_window_t m_root = XCB_NONE;
    QList<Binding> m_bindings;
    uint16_t m_shift = XCB_MOD_MASK_SHIFT;
    uint16_t m_alt = 0;
    QList<uint16_t> m_locks;
    bool m_grabbed = false;
};
