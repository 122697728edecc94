#pragma once
// Sets the vendor SDK's simulated camera list for the length of a test and
// helpers for reading its pictures. Test cameras offer small frames
// (kTestWidth x kTestHeight first, then 400 x 300) so that sanitizer builds
// keep up with the frame rate.

#include "platform/system/Tick.h"
#include "platform/ywdevsdk/YWSimulation.h"

#include <cstdint>
#include <functional>
#include <vector>

namespace kelvara::ywdevsdk::testing {

constexpr int kTestWidth = 320;
constexpr int kTestHeight = 240;

class ScopedSimulatedDevices
{
public:
    explicit ScopedSimulatedDevices(int count = 1)
    {
        std::vector<SimulatedDeviceSetup> devices(static_cast<size_t>(count));
        for (int i = 0; i < count; ++i) {
            devices[static_cast<size_t>(i)].name = L"Sim Camera " + std::to_wstring(i);
            devices[static_cast<size_t>(i)].resolutions = {{kTestWidth, kTestHeight}, {400, 300}};
        }
        SetSimulatedDevices(devices);
    }
    explicit ScopedSimulatedDevices(const std::vector<SimulatedDeviceSetup>& devices)
    {
        SetSimulatedDevices(devices);
    }
    ~ScopedSimulatedDevices() { ResetSimulatedDevices(); }
    ScopedSimulatedDevices(const ScopedSimulatedDevices&) = delete;
    ScopedSimulatedDevices& operator=(const ScopedSimulatedDevices&) = delete;
};

inline bool WaitUntil(const std::function<bool()>& condition, uint32_t timeoutMs)
{
    const uint32_t start = kelvara::GetTickCount();
    while (!condition()) {
        if (kelvara::GetTickCount() - start > timeoutMs)
            return false;
        kelvara::SleepMs(5);
    }
    return true;
}

// Mean of byte `channel` (0, 1 or 2) over packed 3-byte pixels.
inline double ChannelMean(const std::vector<uint8_t>& pixels, int channel)
{
    double sum = 0;
    size_t n = 0;
    for (size_t i = static_cast<size_t>(channel); i < pixels.size(); i += 3, ++n)
        sum += pixels[i];
    return n ? sum / static_cast<double>(n) : 0.0;
}

}  // namespace kelvara::ywdevsdk::testing
