#pragma once

#include <QByteArray>
#include <QMap>

#include <xcb/xcb.h>

#include <poll.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <thread>

/// Another program on the clipboard: owns CLIPBOARD (or `selection`, e.g. a
/// drag source's XdndSelection) on a connection of its own and serves
/// `targets` from a thread, or, when `answers` is false, never replies, as a
/// hung program would.
class X11SelectionOwner {
public:
    X11SelectionOwner(
        const QByteArray& display, QMap<QByteArray, QByteArray> targets, bool answers = true, const char* selection = "CLIPBOARD")
        : m_targets(std::move(targets))
        , m_answers(answers)
    {
        m_connection = xcb_connect(display.isEmpty() ? nullptr : display.constData(), nullptr);
        if (xcb_connection_has_error(m_connection))
            return;
        const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(m_connection)).data->root;
        m_window = xcb_generate_id(m_connection);
        xcb_create_window(m_connection, XCB_COPY_FROM_PARENT, m_window, root, 0, 0, 1, 1, 0, XCB_WINDOW_CLASS_INPUT_ONLY,
            XCB_COPY_FROM_PARENT, 0, nullptr);
        m_clipboard = atom(selection);
        m_targetsAtom = atom("TARGETS");
        xcb_set_selection_owner(m_connection, m_window, m_clipboard, XCB_CURRENT_TIME);
        std::free(xcb_get_input_focus_reply(m_connection, xcb_get_input_focus(m_connection), nullptr));
        m_thread = std::thread([this] { serve(); });
    }
    ~X11SelectionOwner()
    {
        m_stopping = true;
        if (m_thread.joinable())
            m_thread.join();
        xcb_disconnect(m_connection);
    }
    X11SelectionOwner(const X11SelectionOwner&) = delete;
    X11SelectionOwner& operator=(const X11SelectionOwner&) = delete;

    int requests() const { return m_requests; }

private:
    xcb_atom_t atom(const char* name)
    {
        auto* reply = xcb_intern_atom_reply(
            m_connection, xcb_intern_atom(m_connection, false, uint16_t(std::strlen(name)), name), nullptr);
        const xcb_atom_t a = reply ? reply->atom : xcb_atom_t(XCB_ATOM_NONE);
        std::free(reply);
        return a;
    }
    void serve()
    {
        QMap<xcb_atom_t, QByteArray> byAtom;
        for (auto it = m_targets.cbegin(); it != m_targets.cend(); ++it)
            byAtom.insert(atom(it.key().constData()), it.value());
        while (!m_stopping) {
            pollfd fd { xcb_get_file_descriptor(m_connection), POLLIN, 0 };
            poll(&fd, 1, 50);
            while (xcb_generic_event_t* event = xcb_poll_for_event(m_connection)) {
                if ((event->response_type & 0x7f) == XCB_SELECTION_REQUEST) {
                    ++m_requests;
                    if (m_answers)
                        answer(*reinterpret_cast<xcb_selection_request_event_t*>(event), byAtom);
                }
                std::free(event);
            }
        }
    }
    void answer(const xcb_selection_request_event_t& request, const QMap<xcb_atom_t, QByteArray>& byAtom)
    {
        xcb_atom_t property = request.property;
        if (request.target == m_targetsAtom) {
            QList<xcb_atom_t> atoms { m_targetsAtom };
            atoms.append(byAtom.keys());
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property, XCB_ATOM_ATOM, 32,
                uint32_t(atoms.size()), atoms.constData());
        } else if (byAtom.contains(request.target)) {
            const QByteArray& data = byAtom[request.target];
            xcb_change_property(m_connection, XCB_PROP_MODE_REPLACE, request.requestor, property, request.target, 8,
                uint32_t(data.size()), data.constData());
        } else {
            property = XCB_NONE;
        }
        xcb_selection_notify_event_t notify {};
        notify.response_type = XCB_SELECTION_NOTIFY;
        notify.time = request.time;
        notify.requestor = request.requestor;
        notify.selection = request.selection;
        notify.target = request.target;
        notify.property = property;
        xcb_send_event(m_connection, false, request.requestor, 0, reinterpret_cast<const char*>(&notify));
        xcb_flush(m_connection);
    }

    QMap<QByteArray, QByteArray> m_targets;
    bool m_answers;
    xcb_connection_t* m_connection = nullptr;
    xcb_window_t m_window = 0;
    xcb_atom_t m_clipboard = 0;
    xcb_atom_t m_targetsAtom = 0;
    std::atomic<bool> m_stopping { false };
    std::atomic<int> m_requests { 0 };
    std::thread m_thread;
};
