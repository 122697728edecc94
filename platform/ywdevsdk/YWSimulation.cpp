// The simulated device list.

#include "platform/ywdevsdk/YWSimulation.h"

#include <cstdlib>
#include <mutex>
#include <optional>
#include <string>

namespace kelvara::ywdevsdk {

namespace {

constexpr int kMaxEnvironmentDevices = 8;

std::mutex g_mutex;
std::optional<std::vector<SimulatedDeviceSetup>> g_override;  // guarded by g_mutex

std::vector<SimulatedDeviceSetup> FromEnvironment()
{
    int count = 0;
    if (const char* n = std::getenv("KELVARA_YWUSB_CAMERAS")) {
        count = std::atoi(n);
    } else if (const char* v = std::getenv("KELVARA_VIRTUAL_CAMERAS")) {
        count = std::string(v) == "demo" ? 1 : 0;
    }
    count = count < 0 ? 0 : (count > kMaxEnvironmentDevices ? kMaxEnvironmentDevices : count);
    std::vector<SimulatedDeviceSetup> devices(static_cast<size_t>(count));
    for (int i = 1; i < count; ++i)
        devices[static_cast<size_t>(i)].name += L" " + std::to_wstring(i + 1);
    return devices;
}

}  // namespace

void SetSimulatedDevices(const std::vector<SimulatedDeviceSetup>& devices)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override = devices;
}

void ResetSimulatedDevices()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_override.reset();
}

std::vector<SimulatedDeviceSetup> SimulatedDevices()
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_override ? *g_override : FromEnvironment();
}

}  // namespace kelvara::ywdevsdk
