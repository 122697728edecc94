#pragma once
// Capture devices from V4L2: every video node with video capture capability
// that offers at least one format. "FriendlyName" is the driver's card name;
// "DevicePath" is "<node>#vid_XXXX&pid_YYYY" with the USB ids from sysfs
// (just the node when the device is not on USB). A node the user may not
// open (EACCES, EPERM) is listed with accessDenied set, named from sysfs,
// unless sysfs shows it is not the device's first node (a metadata node).
//
// Threads: Enumerate may be called from any thread; opened devices follow
// CaptureDevice's rules.

#include <memory>
#include <string>

#include "platform/directshow/CaptureDeviceProvider.h"
#include "platform/directshow/V4L2Io.h"

namespace kelvara::dshow {

class V4L2Provider final : public CaptureDeviceProvider
{
public:
    explicit V4L2Provider(std::shared_ptr<V4L2Io> io)
        : m_io(std::move(io))
    {
    }

    std::vector<DeviceEntry> Enumerate() override;

    // The provider over the real kernel interface.
    static V4L2Provider& System();

private:
    // The entry of a node that cannot be opened for lack of permission;
    // false when it is not a device's first node.
    bool DescribeDeniedNode(const std::string& node, DeviceEntry* entry);

    std::shared_ptr<V4L2Io> m_io;
};

}  // namespace kelvara::dshow
