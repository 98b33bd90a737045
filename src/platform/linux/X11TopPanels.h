#pragma once

#include "X11ReaderThread.h"

#include <QByteArray>
#include <QList>
#include <QObject>
#include <QRect>

#include <atomic>
#include <optional>

#include <xcb/xcb.h>

/// A panel's claim on the top of the X screen (the top part of an EWMH
/// strut), in X pixels.
struct X11TopStrut {
    /// Reserved from the root window's top edge down.
    int height = 0;
    /// The claim's horizontal range, both ends included.
    int startX = 0;
    int endX = 0;

    friend bool operator==(const X11TopStrut&, const X11TopStrut&) = default;
};

/// What reserves the top of the X screen: the struts of dock windows, and
/// the window manager's work areas of the current desktop, which stand in
/// where no dock sets a strut (GNOME Shell's top bar is no X window).
struct X11TopReservations {
    QList<X11TopStrut> struts;
    /// _GTK_WORKAREAS_D<n> (one per monitor, as Mutter sets them), else the
    /// desktop's one _NET_WORKAREA; empty without a window manager.
    QList<QRect> workAreas;

    friend bool operator==(const X11TopReservations&, const X11TopReservations&) = default;
};

/// Follows the panels that reserve the top of the X screen. A thread of its
/// own on its own X connection reads the struts of the dock windows (those
/// of _NET_CLIENT_LIST, or the root's mapped children without a window
/// manager) and the work areas, and reads them again on the PropertyNotify
/// (and, without a window manager, map and unmap) events that change them,
/// so the GUI thread never waits on the server after the first read.
class X11TopPanels final : public QObject {
    Q_OBJECT
public:
    /// Connects to `display` (empty: $DISPLAY) and reads the panels once.
    /// Without a display nothing is reserved and nothing changes.
    explicit X11TopPanels(const QByteArray& display = {}, QObject* parent = nullptr);
    ~X11TopPanels() override;
    Q_DISABLE_COPY_MOVE(X11TopPanels)

    /// The latest reading.
    const X11TopReservations& reservations() const { return m_reservations; }

    /// How far below the top edge of `screen` (X pixels, root coordinates)
    /// the reservations reach: the lowest strut that covers the screen's top
    /// edge somewhere in its horizontal range; without any strut, the work
    /// area that overlaps the screen most. 0 when nothing reserves its top.
    static int reservedTop(const QRect& screen, const X11TopReservations& reservations);
    /// The top claim of _NET_WM_STRUT_PARTIAL (12 values) or _NET_WM_STRUT
    /// (4 values, the whole `rootWidth`); absent without a top claim or for
    /// values of another shape.
    static std::optional<X11TopStrut> topStrut(const QList<uint32_t>& values, int rootWidth);
    /// Rectangles from x, y, width, height quadruples; empty ones left out.
    static QList<QRect> rects(const QList<uint32_t>& values);

Q_SIGNALS:
    /// The reservations changed.
    void changed();

private:
    void run();
    X11TopReservations read();
    QList<uint32_t> cardinals(xcb_get_property_reply_t* reply) const;
    xcb_atom_t atom(const char* name) const;

    // Interned once: a name keeps its atom for the server's life.
    struct Atoms {
        xcb_atom_t clientList, currentDesktop, workArea, windowType, dock, strutPartial, strut;
    };

    xcb_connection_t* m_connection = nullptr;
    Atoms m_atoms {};
    xcb_window_t m_root = 0;
    X11ReaderThread m_reader;
    X11TopReservations m_reservations; // GUI thread
    // Worker thread after construction.
    X11TopReservations m_lastRead;
    bool m_hasClientList = false;
    xcb_atom_t m_workAreasAtom = XCB_ATOM_NONE;
};
