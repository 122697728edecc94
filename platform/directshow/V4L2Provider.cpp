// V4L2 device enumeration.

#include "platform/directshow/V4L2Provider.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <linux/videodev2.h>

#include "platform/directshow/V4L2CaptureDevice.h"
#include "platform/directshow/V4L2Mapping.h"

namespace kelvara::dshow {

V4L2Provider& V4L2Provider::System()
{
    static V4L2Provider provider(V4L2Io::System());
    return provider;
}

bool V4L2Provider::DescribeDeniedNode(const std::string& node, DeviceEntry* entry)
{
    // Without opening the node its capabilities are unknown. sysfs says
    // which node of a device it is: uvcvideo gives the capture node index 0
    // and the metadata node index 1.
    const std::string base = node.substr(node.find_last_of('/') + 1);
    const std::string sysfs = "/sys/class/video4linux/" + base + "/";
    std::string index;
    if (m_io->ReadTextFile(sysfs + "index", &index) && std::atoi(index.c_str()) != 0)
        return false;
    std::string name;
    m_io->ReadTextFile(sysfs + "name", &name);
    while (!name.empty() && (name.back() == '\n' || name.back() == ' '))
        name.pop_back();
    std::string vendor;
    std::string product;
    m_io->ReadTextFile(sysfs + "device/../idVendor", &vendor);
    m_io->ReadTextFile(sysfs + "device/../idProduct", &product);
    entry->friendlyName = WidenUtf8(name.empty() ? base : name);
    entry->devicePath = MakeDevicePath(node, vendor, product);
    entry->accessDenied = true;
    entry->open = [](HRESULT* result) -> std::shared_ptr<CaptureDevice> {
        if (result)
            *result = E_ACCESSDENIED;
        return nullptr;
    };
    return true;
}

std::vector<DeviceEntry> V4L2Provider::Enumerate()
{
    std::vector<DeviceEntry> devices;
    for (const std::string& node : m_io->ListVideoNodes()) {
        const int fd = m_io->Open(node);
        if (fd < 0) {
            if (errno == EACCES || errno == EPERM) {
                DeviceEntry denied;
                if (DescribeDeniedNode(node, &denied))
                    devices.push_back(std::move(denied));
            }
            continue;
        }
        v4l2_capability cap{};
        bool usable = m_io->Ioctl(fd, VIDIOC_QUERYCAP, &cap) == 0;
        if (usable) {
            const uint32_t caps
                = (cap.capabilities & V4L2_CAP_DEVICE_CAPS) ? cap.device_caps : cap.capabilities;
            usable = (caps & V4L2_CAP_VIDEO_CAPTURE) && (caps & V4L2_CAP_STREAMING);
        }
        if (usable) {
            // Metadata and output nodes of the same camera list no capture format.
            v4l2_fmtdesc desc{};
            desc.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            usable = m_io->Ioctl(fd, VIDIOC_ENUM_FMT, &desc) == 0;
        }
        m_io->Close(fd);
        if (!usable)
            continue;

        const std::string card(reinterpret_cast<const char*>(cap.card),
            strnlen(reinterpret_cast<const char*>(cap.card), sizeof(cap.card)));
        const std::string base = node.substr(node.find_last_of('/') + 1);
        const std::string sysfs = "/sys/class/video4linux/" + base + "/device/../";
        std::string vendor;
        std::string product;
        m_io->ReadTextFile(sysfs + "idVendor", &vendor);
        m_io->ReadTextFile(sysfs + "idProduct", &product);

        DeviceEntry entry;
        entry.friendlyName = WidenUtf8(card);
        entry.devicePath = MakeDevicePath(node, vendor, product);
        std::shared_ptr<V4L2Io> io = m_io;
        entry.open = [io, node](HRESULT* result) -> std::shared_ptr<CaptureDevice> {
            return V4L2CaptureDevice::Open(io, node, result);
        };
        devices.push_back(std::move(entry));
    }
    return devices;
}

}  // namespace kelvara::dshow
