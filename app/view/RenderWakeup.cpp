#include "app/view/RenderWakeup.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdint>
#include <thread>

namespace kelvara {

RenderWakeup::RenderWakeup()
    : m_fd(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK))
{
}

RenderWakeup::~RenderWakeup()
{
    if (m_fd >= 0)
        close(m_fd);
}

void RenderWakeup::Set()
{
    if (m_fd < 0)
        return;
    const uint64_t one = 1;
    // A full counter means a wake-up is pending anyway.
    ssize_t written = 0;
    do {
        written = write(m_fd, &one, sizeof one);
    } while (written < 0 && errno == EINTR);
}

bool RenderWakeup::Wait(int timeoutMs, int otherFd)
{
    if (m_fd < 0) {
        // Without an eventfd the caller still makes progress, by polling.
        std::this_thread::sleep_for(std::chrono::milliseconds(timeoutMs < 0 ? 3 : timeoutMs));
        return false;
    }
    pollfd fds[2] = {{m_fd, POLLIN, 0}, {otherFd, POLLIN, 0}};
    const int count = otherFd >= 0 ? 2 : 1;
    int ready = 0;
    do {
        ready = poll(fds, static_cast<nfds_t>(count), timeoutMs);
    } while (ready < 0 && errno == EINTR);
    if (ready <= 0 || (fds[0].revents & POLLIN) == 0)
        return false;
    uint64_t value = 0;
    ssize_t got = 0;
    do {
        got = read(m_fd, &value, sizeof value);
    } while (got < 0 && errno == EINTR);
    return got == sizeof value;
}

}  // namespace kelvara
