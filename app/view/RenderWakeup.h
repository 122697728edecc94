#pragma once
// Wakes the preview's render thread: an event counter (eventfd) that the
// render thread waits on together with the preview window's X connection,
// so that an idle render thread sleeps until a frame, a request or an
// exposure arrives instead of polling.
//
// Threads: Set from any thread; Wait from the render thread only.

namespace kelvara {

class RenderWakeup
{
public:
    RenderWakeup();
    ~RenderWakeup();
    RenderWakeup(const RenderWakeup&) = delete;
    RenderWakeup& operator=(const RenderWakeup&) = delete;

    void Set();
    // Waits until Set was called, otherFd (when >= 0) is readable or
    // timeoutMs (-1: no limit) elapsed. True when woken by Set; the signal
    // is consumed.
    bool Wait(int timeoutMs, int otherFd = -1);

private:
    int m_fd = -1;
};

}  // namespace kelvara
