// Enumeration over both device providers.

#include "platform/directshow/CaptureDeviceProvider.h"

#include <atomic>

#include "platform/directshow/V4L2Provider.h"
#include "platform/directshow/VirtualDeviceRegistry.h"

namespace kelvara::dshow {

namespace {

std::atomic<bool> g_v4l2Enabled{true};

}  // namespace

void SetV4L2EnumerationEnabled(bool enabled)
{
    g_v4l2Enabled = enabled;
}

std::vector<DeviceEntry> EnumerateCaptureDevices()
{
    std::vector<DeviceEntry> devices;
    if (g_v4l2Enabled.load())
        devices = V4L2Provider::System().Enumerate();
    std::vector<DeviceEntry> virtuals = VirtualDeviceRegistry::Enumerate();
    devices.insert(
        devices.end(), std::make_move_iterator(virtuals.begin()), std::make_move_iterator(virtuals.end()));
    return devices;
}

}  // namespace kelvara::dshow
