// The SDK's C functions: handle tables over factories and simulated devices.

#include "platform/ywdevsdk/YWDevSDK.h"

#include "platform/ywdevsdk/YWSimulatedDevice.h"
#include "platform/ywdevsdk/YWSimulation.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>

using namespace kelvara::ywdevsdk;

namespace {

std::mutex g_mutex;
int g_nextHandle = 1;  // guarded by g_mutex; handles are never reused
std::map<int, std::vector<SimulatedDeviceSetup>> g_factories;  // guarded by g_mutex
std::map<int, std::shared_ptr<YWSimulatedDevice>> g_devices;  // guarded by g_mutex

std::shared_ptr<YWSimulatedDevice> Find(int device)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_devices.find(device);
    return it == g_devices.end() ? nullptr : it->second;
}

// Runs f on the device's settings; YW_ERR_HANDLE for an unknown handle.
template <class F> int Change(int device, F f)
{
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    d->Modify(f);
    return YW_OK;
}

// Reads from the device's settings into a non-null out-pointer.
template <class T, class F> int Read(int device, T* out, F f)
{
    if (!out)
        return YW_ERR_ARGUMENT;
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    *out = f(d->Settings());
    return YW_OK;
}

template <class T> T Clamp(T value, const T* range)
{
    return value < range[0] ? range[0] : (value > range[1] ? range[1] : value);
}

}  // namespace

bool kelvara::ywdevsdk::SimulatedDeviceSettings(int device, YWImageSettings* settings)
{
    auto d = Find(device);
    if (!d || !settings)
        return false;
    *settings = d->Settings();
    return true;
}

extern "C" {

int CreateDeviceFactoryHandle(int, int)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    const int handle = g_nextHandle++;
    g_factories[handle] = SimulatedDevices();
    return handle;
}

int EnumDevice(int factory, YWEnumDeviceCallback callback, void* context)
{
    std::vector<SimulatedDeviceSetup> devices;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_factories.find(factory);
        if (it == g_factories.end())
            return YW_ERR_HANDLE;
        devices = it->second;
    }
    for (size_t i = 0; callback && i < devices.size(); ++i) {
        YWDeviceRecord record = {};
        record.index = static_cast<int32_t>(i);
        record.name = devices[i].name.c_str();
        record.vendorId = static_cast<uint16_t>(devices[i].vendorId);
        record.productId = static_cast<uint16_t>(devices[i].productId);
        callback(&record, context);
    }
    return static_cast<int>(devices.size());
}

int DeviceFactoryRelease(int factory)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    return g_factories.erase(factory) ? YW_OK : YW_ERR_HANDLE;
}

int OpenDevice(int factory, uint8_t index, int* device, int)
{
    if (!device)
        return YW_ERR_ARGUMENT;
    std::lock_guard<std::mutex> lock(g_mutex);
    auto it = g_factories.find(factory);
    if (it == g_factories.end())
        return YW_ERR_HANDLE;
    if (index >= it->second.size())
        return YW_ERR_NO_DEVICE;
    for (const auto& open : g_devices)
        if (open.second->Index() == index)
            return YW_ERR_BUSY;  // one owner per camera, as over USB
    const int handle = g_nextHandle++;
    g_devices[handle] = std::make_shared<YWSimulatedDevice>(handle, index, it->second[index]);
    *device = handle;
    return YW_OK;
}

int DeviceInitEx(int device, YWFrameCallback callback, void* context, int, int)
{
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    d->SetFrameFunction(callback, context);
    return YW_OK;
}

int Start(int device)
{
    auto d = Find(device);
    return d ? d->Start() : YW_ERR_HANDLE;
}

int Stop(int device)
{
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    d->Stop();
    return YW_OK;
}

int CloseDevice(int device)
{
    return Stop(device);
}

int DeviceUnInit(int device)
{
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    d->Stop();
    d->SetFrameFunction(nullptr, nullptr);
    return YW_OK;
}

int DeviceRelease(int device)
{
    std::shared_ptr<YWSimulatedDevice> d;
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        auto it = g_devices.find(device);
        if (it == g_devices.end())
            return YW_ERR_HANDLE;
        d = std::move(it->second);
        g_devices.erase(it);
    }
    d->Stop();
    d->SetFrameFunction(nullptr, nullptr);
    return YW_OK;
}

uint8_t* DeviceISP(int device, int, const YWFrameRecord* frame)
{
    auto d = Find(device);
    return d ? d->Process(frame) : nullptr;
}

int CaptureFile(int device, const char* name, int mode)
{
    if (!name)
        return YW_ERR_ARGUMENT;
    auto d = Find(device);
    return d ? d->Capture(name, mode) : YW_ERR_HANDLE;
}

int GetResolutions(int device, YWResolution* records)
{
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    const auto& sizes = d->Resolutions();
    for (size_t i = 0; records && i < sizes.size(); ++i) {
        records[i] = YWResolution{};
        records[i].index = static_cast<uint8_t>(i);
        records[i].binning = 1;
        records[i].width = sizes[i].width;
        records[i].height = sizes[i].height;
    }
    return static_cast<int>(sizes.size());
}

int GetResolution(int device, YWResolution* record)
{
    if (!record)
        return YW_ERR_ARGUMENT;
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    const int index = d->ResolutionIndex();
    const YWSize size = d->Resolutions()[static_cast<size_t>(index)];
    *record = YWResolution{};
    record->index = static_cast<uint8_t>(index);
    record->binning = 1;
    record->width = size.width;
    record->height = size.height;
    return YW_OK;
}

int SetResolution(int device, YWResolution record)
{
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    if (record.custom != 0)
        return YW_ERR_ARGUMENT;  // regions of interest are not offered
    return d->SetResolutionIndex(record.index);
}

int GetCapability(int device, YWCapability* capability)
{
    if (!capability)
        return YW_ERR_ARGUMENT;
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    using R = YWRanges;
    YWCapability& c = *capability;
    c = YWCapability{};
    c.frameSpeedCount = kFrameSpeedCount;
    c.frameSpeeds = d->FrameSpeeds();
    for (const YWSize& size : d->Resolutions()) {
        c.maxWidth = std::max(c.maxWidth, size.width);
        c.maxHeight = std::max(c.maxHeight, size.height);
    }
    std::memcpy(c.redGain, R::kChannelGain, 3);
    std::memcpy(c.greenGain, R::kChannelGain, 3);
    std::memcpy(c.blueGain, R::kChannelGain, 3);
    std::memcpy(c.analogGain, R::kAnalogGain, 3);
    std::memcpy(c.saturation, R::kSaturation, 3);
    c.gammaMin = R::kGamma[0];
    c.gammaMax = R::kGamma[1];
    c.gammaDefault = R::kGamma[2];
    std::memcpy(c.contrast, R::kContrast, sizeof c.contrast);
    std::memcpy(c.aeTarget, R::kAeTarget, 3);
    std::memcpy(c.exposureTime, R::kExposureMs, sizeof c.exposureTime);
    return YW_OK;
}

int GetFrameSpeed(int device, int* value)
{
    return Read(device, value, [](const YWImageSettings& s) { return s.frameSpeed; });
}

int SetFrameSpeed(int device, int value)
{
    if (value < 0 || value >= kFrameSpeedCount)
        return YW_ERR_ARGUMENT;
    return Change(device, [value](YWImageSettings& s) { s.frameSpeed = value; });
}

int GetContrast(int device, int16_t* value)
{
    return Read(device, value, [](const YWImageSettings& s) { return s.contrast; });
}

int SetContrast(int device, int16_t value)
{
    return Change(device, [value](YWImageSettings& s) { s.contrast = Clamp(value, YWRanges::kContrast); });
}

int SetContrastState(int device, int enabled)
{
    return Change(device, [enabled](YWImageSettings& s) { s.contrastOn = enabled != 0; });
}

int GetSaturation(int device, uint8_t* value)
{
    return Read(device, value, [](const YWImageSettings& s) { return s.saturation; });
}

int SetSaturation(int device, uint8_t value)
{
    return Change(
        device, [value](YWImageSettings& s) { s.saturation = Clamp(value, YWRanges::kSaturation); });
}

int SetSaturationState(int device, int enabled)
{
    return Change(device, [enabled](YWImageSettings& s) { s.saturationOn = enabled != 0; });
}

int GetGamma(int device, float* value)
{
    return Read(device, value, [](const YWImageSettings& s) { return s.gamma; });
}

int SetGamma(int device, float value)
{
    if (!std::isfinite(value))
        return YW_ERR_ARGUMENT;
    return Change(device, [value](YWImageSettings& s) { s.gamma = Clamp(value, YWRanges::kGamma); });
}

int SetGammaState(int device, int enabled)
{
    return Change(device, [enabled](YWImageSettings& s) { s.gammaOn = enabled != 0; });
}

int GetGain(int device, uint8_t* red, uint8_t* green, uint8_t* blue)
{
    if (!red || !green || !blue)
        return YW_ERR_ARGUMENT;
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    const YWImageSettings s = d->Settings();
    *red = s.redGain;
    *green = s.greenGain;
    *blue = s.blueGain;
    return YW_OK;
}

int SetGain(int device, uint8_t red, uint8_t green, uint8_t blue)
{
    return Change(device, [=](YWImageSettings& s) {
        s.redGain = Clamp(red, YWRanges::kChannelGain);
        s.greenGain = Clamp(green, YWRanges::kChannelGain);
        s.blueGain = Clamp(blue, YWRanges::kChannelGain);
    });
}

int GetAnalogGain(int device, uint8_t* value)
{
    return Read(device, value, [](const YWImageSettings& s) { return s.analogGain; });
}

int SetAnalogGain(int device, uint8_t value)
{
    return Change(
        device, [value](YWImageSettings& s) { s.analogGain = Clamp(value, YWRanges::kAnalogGain); });
}

int GetAutoExposureTarget(int device, uint8_t* value)
{
    return Read(device, value, [](const YWImageSettings& s) { return s.aeTarget; });
}

int SetAutoExposureTarget(int device, uint8_t value)
{
    return Change(device, [value](YWImageSettings& s) { s.aeTarget = Clamp(value, YWRanges::kAeTarget); });
}

int GetExposureTime(int device, uint16_t* milliseconds)
{
    return Read(device, milliseconds, [](const YWImageSettings& s) { return s.exposureMs; });
}

int SetExposureTime(int device, uint16_t milliseconds)
{
    return Change(device,
        [milliseconds](YWImageSettings& s) { s.exposureMs = Clamp(milliseconds, YWRanges::kExposureMs); });
}

int GetAutoExposureState(int device, int* enabled)
{
    return Read(device, enabled, [](const YWImageSettings& s) { return s.autoExposure ? 1 : 0; });
}

int SetAutoExposureState(int device, int enabled)
{
    return Change(device, [enabled](YWImageSettings& s) { s.autoExposure = enabled != 0; });
}

int SetOnceWBalace(int device)
{
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    d->RequestOnceWhiteBalance();
    return YW_OK;
}

int SetMirror(int device, int axis, int enabled)
{
    if (axis != 0 && axis != 1)
        return YW_ERR_ARGUMENT;
    return Change(
        device, [axis, enabled](YWImageSettings& s) { (axis == 0 ? s.mirror : s.flip) = enabled != 0; });
}

int GetMirror(int device, int axis, int* enabled)
{
    if (axis != 0 && axis != 1)
        return YW_ERR_ARGUMENT;
    return Read(device, enabled,
        [axis](const YWImageSettings& s) { return (axis == 0 ? s.mirror : s.flip) ? 1 : 0; });
}

int DeviceCreateSettingPage(int device, HWND owner, const wchar_t* title)
{
    auto d = Find(device);
    return d ? d->CreateSettingPage(owner, title) : YW_ERR_HANDLE;
}

int DeviceShowSettingPage(int device, int show)
{
    auto d = Find(device);
    if (!d)
        return YW_ERR_HANDLE;
    return show ? d->ShowSettingPage() : YW_OK;
}

}  // extern "C"
