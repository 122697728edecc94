#pragma once
// Which simulated devices the vendor SDK reports. By default none, unless
// KELVARA_VIRTUAL_CAMERAS is "demo" (one camera) or KELVARA_YWUSB_CAMERAS
// gives a count (0 to 8). Tests set the list in code instead.
//
// Threads: any thread; a device list change affects later enumerations and
// opens only.

#include "platform/ywdevsdk/YWImageSettings.h"

#include <string>
#include <utility>
#include <vector>

namespace kelvara::ywdevsdk {

struct SimulatedDeviceSetup
{
    std::wstring name = L"YW USB Microscope";
    int vendorId = 0x1D6B;
    int productId = 0x0104;
    double micrometerPitchPx = 10.0;  // pixels between two ticks of the scale on the sensor
    // Resolutions the sensor offers (width, height); the first is the default.
    // Each shows the sensor's field as dshow::MicroscopeScene describes.
    std::vector<std::pair<int, int>> resolutions
        = {{640, 480}, {1024, 768}, {1280, 960}, {1600, 1200}, {2048, 1536}};
    // The sensor's size; 0 x 0: the largest resolution.
    std::pair<int, int> sensor = {0, 0};
};

// Replaces the device list; the environment is then ignored.
void SetSimulatedDevices(const std::vector<SimulatedDeviceSetup>& devices);
// Goes back to the list from the environment.
void ResetSimulatedDevices();
// The devices a factory created now would report.
std::vector<SimulatedDeviceSetup> SimulatedDevices();

// The current settings of an open device, including the processing switches
// that the C interface only sets; false for an unknown handle.
bool SimulatedDeviceSettings(int device, YWImageSettings* settings);

}  // namespace kelvara::ywdevsdk
