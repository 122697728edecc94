#pragma once
// The virtual devices of this process: those described by the file named in
// KELVARA_VIRTUAL_CAMERAS (or the demo camera for the word "demo"), read
// again whenever the variable changes, followed by those added in code.
// Unplugging is a state of the entry: an unplugged device ends its stream,
// fails every call and is left out of enumerations until replugged.
//
// Threads: every member may be called from any thread (one internal lock).

#include <cstdint>
#include <string>
#include <vector>

#include "platform/directshow/CaptureDeviceProvider.h"
#include "platform/directshow/VirtualDeviceDescription.h"

namespace kelvara::dshow {

class VirtualDeviceRegistry
{
public:
    // Adds a device after the ones present; returns its id (> 0).
    static int Add(const VirtualDeviceDescription& description);
    static void Remove(int id);
    // Removes every device added in code.
    static void Clear();

    // Unplugs the device now; a running stream ends on its own thread.
    static void Unplug(int id);
    static void Replug(int id);
    static bool IsUnplugged(int id);
    // Stills the device has delivered since it was added or replugged.
    static int StillsDelivered(int id);
    // Stream frames lost since the device was added or replugged because
    // the sink was more than the driver's buffers behind.
    static uint64_t FramesLost(int id);

    // The plugged-in virtual devices, environment ones first.
    static std::vector<DeviceEntry> Enumerate();
    // Ids in the order of Enumerate (for tests).
    static std::vector<int> Ids();
};

}  // namespace kelvara::dshow
