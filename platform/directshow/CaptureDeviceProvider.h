#pragma once
// Where capture devices come from. Two providers stand behind the video
// input device category: V4L2 nodes first, then the virtual devices (those of
// KELVARA_VIRTUAL_CAMERAS, then those added in code).
//
// Threads: EnumerateCaptureDevices and SetV4L2EnumerationEnabled may be
// called from any thread; the enumeration is serialised internally.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/directshow/CaptureDevice.h"

namespace kelvara::dshow {

struct DeviceEntry
{
    std::wstring friendlyName;
    std::wstring devicePath;  // carries vid_XXXX&pid_YYYY when known
    // The user may not open the device (a V4L2 node outside the user's
    // groups): listed so that the program can say why, but open fails.
    bool accessDenied = false;
    // Opens the device; null (and *result set) when that fails.
    std::function<std::shared_ptr<CaptureDevice>(HRESULT* result)> open;
};

class CaptureDeviceProvider
{
public:
    virtual ~CaptureDeviceProvider() = default;
    // The devices present now, in a stable order.
    virtual std::vector<DeviceEntry> Enumerate() = 0;
};

// All capture devices, V4L2 first, then virtual ones.
std::vector<DeviceEntry> EnumerateCaptureDevices();

// Leaves V4L2 nodes out of the enumeration (true by default) so that tests
// see only virtual devices even on a machine with cameras attached.
void SetV4L2EnumerationEnabled(bool enabled);

}  // namespace kelvara::dshow
