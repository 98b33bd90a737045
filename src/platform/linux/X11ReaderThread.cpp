#include "X11ReaderThread.h"

#include <fcntl.h>

#include <poll.h>
#include <unistd.h>
#include <utility>

bool X11ReaderThread::start(std::function<void()> loop)
{
    if (pipe2(m_wakeFds, O_CLOEXEC | O_NONBLOCK) != 0)
        return false;
    m_thread = std::thread(std::move(loop));
    return true;
}

void X11ReaderThread::stop()
{
    m_stopping = true;
    wake();
    if (m_thread.joinable())
        m_thread.join();
    for (int& fd : m_wakeFds) {
        if (fd >= 0)
            close(std::exchange(fd, -1));
    }
}

void X11ReaderThread::wake()
{
    if (m_wakeFds[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const auto written = write(m_wakeFds[1], &byte, 1);
    }
}

void X11ReaderThread::wait(xcb_connection_t* connection, int timeoutMs)
{
    pollfd fds[2] = { { xcb_get_file_descriptor(connection), POLLIN, 0 }, { m_wakeFds[0], POLLIN, 0 } };
    poll(fds, 2, timeoutMs);
    if (fds[1].revents & POLLIN) {
        char buffer[64];
        while (::read(m_wakeFds[0], buffer, sizeof buffer) > 0) { }
    }
}
