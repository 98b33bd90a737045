#pragma once

#include <xcb/xcb.h>

#include <atomic>
#include <functional>
#include <thread>

/// A thread that serves one X connection of its own. It sleeps in poll() on
/// the connection and a wake-up pipe, so it costs nothing while the server
/// is quiet, and the GUI thread never waits on the server.
class X11ReaderThread final {
public:
    X11ReaderThread() = default;
    /// Stops the thread; the owner disconnects afterwards.
    ~X11ReaderThread() { stop(); }
    X11ReaderThread(const X11ReaderThread&) = delete;
    X11ReaderThread& operator=(const X11ReaderThread&) = delete;

    /// Runs `loop` on the thread; it returns when stopping() turns true.
    /// False (the loop then never runs) when no wake-up pipe can be made.
    bool start(std::function<void()> loop);
    /// Asks the loop to end and waits for it; idempotent.
    void stop();
    bool stopping() const { return m_stopping; }
    /// Ends a wait() now (from any thread).
    void wake();
    /// Sleeps until `connection` has input, wake() was called or `timeoutMs`
    /// passed (-1: no limit). Wake-ups are consumed, so the next wait sleeps.
    void wait(xcb_connection_t* connection, int timeoutMs = -1);

private:
    int m_wakeFds[2] = { -1, -1 };
    std::atomic<bool> m_stopping { false };
    std::thread m_thread;
};
