#pragma once
// Registers a virtual capture device for the length of a test and keeps real
// V4L2 cameras out of the enumeration meanwhile, so that device indexes in
// tests are stable on any machine.

#include "platform/directshow/CaptureDeviceProvider.h"
#include "platform/directshow/VirtualDeviceRegistry.h"

namespace kelvara::dshow::testing {

class ScopedVirtualDevice
{
public:
    explicit ScopedVirtualDevice(const VirtualDeviceDescription& description)
    {
        SetV4L2EnumerationEnabled(false);
        m_id = VirtualDeviceRegistry::Add(description);
    }
    ~ScopedVirtualDevice()
    {
        VirtualDeviceRegistry::Remove(m_id);
        SetV4L2EnumerationEnabled(true);
    }
    ScopedVirtualDevice(const ScopedVirtualDevice&) = delete;
    ScopedVirtualDevice& operator=(const ScopedVirtualDevice&) = delete;

    int Id() const { return m_id; }
    void Unplug() const { VirtualDeviceRegistry::Unplug(m_id); }

private:
    int m_id = 0;
};

// A small MJPG/YUY2 device with a still pin, at the given frame rate.
inline VirtualDeviceDescription SmallTestCamera(double frameRate = 30.0)
{
    VirtualDeviceDescription d;
    d.name = L"Test Camera";
    d.devicePath = L"virtual#vid_abcd&pid_1234#test";
    d.frameRate = frameRate;
    d.capturePin = {FormatRange::Discrete(MEDIASUBTYPE_MJPG, 640, 480),
        FormatRange::Discrete(MEDIASUBTYPE_MJPG, 1280, 720),
        FormatRange::Stepwise(MEDIASUBTYPE_YUY2, 160, 120, 640, 480, 16, 8),
        FormatRange::Discrete(MEDIASUBTYPE_RGB24, 320, 240)};
    d.stillPin = {FormatRange::Discrete(MEDIASUBTYPE_YUY2, 640, 480)};
    VirtualControl brightness;
    brightness.set = ControlSet::VideoProcAmp;
    brightness.property = VideoProcAmp_Brightness;
    brightness.minimum = -64;
    brightness.maximum = 64;
    brightness.defaultValue = 0;
    VirtualControl whiteBalance;
    whiteBalance.set = ControlSet::VideoProcAmp;
    whiteBalance.property = VideoProcAmp_WhiteBalance;
    whiteBalance.minimum = 2800;
    whiteBalance.maximum = 6500;
    whiteBalance.step = 10;
    whiteBalance.defaultValue = 4600;
    whiteBalance.hasAuto = true;
    whiteBalance.autoByDefault = true;
    d.controls = {brightness, whiteBalance};
    return d;
}

}  // namespace kelvara::dshow::testing
