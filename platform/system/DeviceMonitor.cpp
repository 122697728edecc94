#include "platform/system/DeviceMonitor.h"

#include <libudev.h>

#include <cstring>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

namespace kelvara {

CDeviceMonitor::CDeviceMonitor(Callback callback)
    : m_callback(std::move(callback))
{
}

CDeviceMonitor::~CDeviceMonitor()
{
    Stop();
}

bool CDeviceMonitor::Start()
{
    if (m_thread.joinable())
        return true;
    udev* context = udev_new();
    if (context == nullptr)
        return false;
    udev_monitor* monitor = udev_monitor_new_from_netlink(context, "udev");
    if (monitor == nullptr
        || udev_monitor_filter_add_match_subsystem_devtype(monitor, "video4linux", nullptr) < 0
        || udev_monitor_enable_receiving(monitor) < 0 || pipe2(m_wakePipe, O_CLOEXEC) != 0) {
        if (monitor)
            udev_monitor_unref(monitor);
        udev_unref(context);
        return false;
    }
    m_udev = context;
    m_thread = std::thread(&CDeviceMonitor::Run, this, static_cast<void*>(monitor));
    return true;
}

void CDeviceMonitor::Stop()
{
    if (!m_thread.joinable())
        return;
    char stop = 1;
    if (write(m_wakePipe[1], &stop, 1) < 0) {
        // The thread polls the pipe; a failed write only delays nothing here
        // because closing the pipe below also wakes it.
    }
    close(m_wakePipe[1]);
    m_thread.join();
    close(m_wakePipe[0]);
    m_wakePipe[0] = m_wakePipe[1] = -1;
    udev_unref(static_cast<udev*>(m_udev));
    m_udev = nullptr;
}

void CDeviceMonitor::Run(void* handle)
{
    auto* monitor = static_cast<udev_monitor*>(handle);
    pollfd fds[2] = {{udev_monitor_get_fd(monitor), POLLIN, 0}, {m_wakePipe[0], POLLIN, 0}};
    for (;;) {
        if (poll(fds, 2, -1) < 0)
            continue;
        if (fds[1].revents != 0)
            break;
        if ((fds[0].revents & POLLIN) == 0)
            continue;
        udev_device* device = udev_monitor_receive_device(monitor);
        if (device == nullptr)
            continue;
        const char* action = udev_device_get_action(device);
        if (action && (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0) && m_callback)
            m_callback(std::strcmp(action, "add") == 0);
        udev_device_unref(device);
    }
    udev_monitor_unref(monitor);
}

}  // namespace kelvara
