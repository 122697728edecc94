#include "platform/system/TerminationWatcher.h"

#include <csignal>
#include <fcntl.h>
#include <poll.h>
#include <sys/signalfd.h>
#include <unistd.h>

namespace kelvara {

namespace {

sigset_t TerminationSignals()
{
    sigset_t set;
    sigemptyset(&set);
    sigaddset(&set, SIGTERM);
    sigaddset(&set, SIGINT);
    sigaddset(&set, SIGHUP);
    return set;
}

}  // namespace

CTerminationWatcher::CTerminationWatcher()
{
    sigset_t set = TerminationSignals();
    pthread_sigmask(SIG_BLOCK, &set, nullptr);
}

CTerminationWatcher::~CTerminationWatcher()
{
    if (m_thread.joinable()) {
        char stop = 1;
        if (write(m_stopPipe[1], &stop, 1) != 1) {
            // The thread also ends when the pipe's write end closes below.
        }
        close(m_stopPipe[1]);
        m_thread.join();
        close(m_stopPipe[0]);
    }
    if (m_signalFd >= 0)
        close(m_signalFd);
}

bool CTerminationWatcher::Start(std::function<void(int)> onSignal)
{
    if (m_thread.joinable())
        return true;
    sigset_t set = TerminationSignals();
    m_signalFd = signalfd(-1, &set, SFD_CLOEXEC);
    if (m_signalFd < 0 || pipe2(m_stopPipe, O_CLOEXEC) != 0)
        return false;
    m_onSignal = std::move(onSignal);
    m_thread = std::thread(&CTerminationWatcher::Run, this);
    return true;
}

void CTerminationWatcher::Run()
{
    pollfd fds[2] = {{m_signalFd, POLLIN, 0}, {m_stopPipe[0], POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents != 0)
            return;
        signalfd_siginfo info{};
        if ((fds[0].revents & POLLIN) && read(m_signalFd, &info, sizeof(info)) == sizeof(info) && m_onSignal)
            m_onSignal(static_cast<int>(info.ssi_signo));
    }
}

}  // namespace kelvara
