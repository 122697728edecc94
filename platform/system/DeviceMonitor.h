#pragma once
// Watches the kernel's video devices (udev, subsystem video4linux) and calls
// back when one is added or removed, so the program can list its cameras
// anew, as it would on a device-change message.
//
// Threads: Start and Stop (and the destructor) on the owner's thread; the
// callback runs on the monitor's own thread and must only post work to its
// owner (for example PostMessage to a window).

#include <atomic>
#include <functional>
#include <thread>

namespace kelvara {

class CDeviceMonitor
{
public:
    // arrived: true for an added device, false for a removed one.
    using Callback = std::function<void(bool arrived)>;

    explicit CDeviceMonitor(Callback callback);
    ~CDeviceMonitor();
    CDeviceMonitor(const CDeviceMonitor&) = delete;
    CDeviceMonitor& operator=(const CDeviceMonitor&) = delete;

    // False when udev cannot be watched (no udev, no netlink access); the
    // program then simply does not notice hot-plugging.
    bool Start();
    void Stop();
    bool IsRunning() const { return m_thread.joinable(); }

private:
    void Run(void* monitor);

    Callback m_callback;
    std::thread m_thread;
    int m_wakePipe[2] = {-1, -1};
    void* m_udev = nullptr;
};

}  // namespace kelvara
