// V4L2 device enumeration.

#include "platform/directshow/V4L2Provider.h"

namespace kelvara::dshow {

V4L2Provider& V4L2Provider::System()
{
    static V4L2Provider provider(V4L2Io::System());
    return provider;
}

std::vector<DeviceEntry> V4L2Provider::Enumerate()
{
    return {};
}

}  // namespace kelvara::dshow
