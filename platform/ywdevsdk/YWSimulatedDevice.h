#pragma once
// One opened simulated camera of the vendor SDK: its settings, a sensor that
// renders a microscope scene at the chosen resolution, exposure and gain, a
// delivery thread that hands raw frames to the registered frame function at
// the chosen frame speed, auto exposure and one-push white balance, the
// image processor behind DeviceISP and the still capture behind CaptureFile.
//
// Threads: the public operations may be called from any thread but not from
// inside the frame function (Stop joins the delivery thread). The delivery
// thread calls the frame function holding no lock.
// Locks: m_mutex guards settings, resolution, frame function, the thread
// state and the last frames; m_sensorMutex serialises the scene renderer;
// m_ispMutex serialises Process. Lock order: m_ispMutex or m_sensorMutex
// before m_mutex; m_mutex is never held while calling out.

#include "platform/ywdevsdk/YWDevSDK.h"
#include "platform/ywdevsdk/YWImageSettings.h"
#include "platform/ywdevsdk/YWSimulation.h"

#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

namespace kelvara::dshow {
class MicroscopeScene;
}

namespace kelvara::ywdevsdk {

struct YWSize
{
    int width;
    int height;
};

class YWSimulatedDevice
{
public:
    YWSimulatedDevice(int handle, int index, const SimulatedDeviceSetup& setup);
    ~YWSimulatedDevice();
    YWSimulatedDevice(const YWSimulatedDevice&) = delete;
    YWSimulatedDevice& operator=(const YWSimulatedDevice&) = delete;

    int Index() const { return m_index; }

    // Never empty.
    const std::vector<YWSize>& Resolutions() const { return m_resolutions; }
    int ResolutionIndex() const;
    int SetResolutionIndex(int index);

    void SetFrameFunction(YWFrameCallback callback, void* context);
    int Start();
    void Stop();
    bool IsStreaming() const;

    YWImageSettings Settings() const;
    // Changes the settings under the lock.
    void Modify(const std::function<void(YWImageSettings&)>& change);
    void RequestOnceWhiteBalance();
    const YWFrameSpeed* FrameSpeeds() const { return m_frameSpeeds; }

    uint8_t* Process(const YWFrameRecord* frame);
    int Capture(const std::string& name, int mode);

    int CreateSettingPage(HWND owner, const wchar_t* title);
    int ShowSettingPage();

private:
    struct RawFrame
    {
        uint32_t sequence = 0;
        int width = 0;
        int height = 0;
        uint16_t exposureMs = 0;
        uint8_t analogGain = 0;
        uint64_t timestampUs = 0;
        std::vector<uint8_t> rgb;
    };

    void ThreadMain();
    // Renders frame sequence n of the current resolution and settings into frame.
    void Expose(RawFrame* frame, uint32_t sequence, const YWImageSettings& settings, YWSize size);
    // Auto exposure and pending white balance after a frame.
    void Regulate(const RawFrame& frame);

    const int m_handle;
    const int m_index;
    const SimulatedDeviceSetup m_setup;
    std::vector<YWSize> m_resolutions;
    YWFrameSpeed m_frameSpeeds[kFrameSpeedCount];

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    YWImageSettings m_settings;  // guarded by m_mutex
    int m_resolution = 0;  // guarded by m_mutex
    bool m_onceWhiteBalance = false;  // guarded by m_mutex
    YWFrameCallback m_callback = nullptr;  // guarded by m_mutex
    void* m_context = nullptr;  // guarded by m_mutex
    bool m_quit = false;  // guarded by m_mutex
    bool m_streaming = false;  // guarded by m_mutex
    uint32_t m_nextSequence = 0;  // guarded by m_mutex
    std::shared_ptr<RawFrame> m_lastRaw;  // guarded by m_mutex
    std::shared_ptr<std::vector<uint8_t>> m_lastProcessed;  // guarded by m_mutex
    uint32_t m_lastProcessedSequence = 0;  // guarded by m_mutex
    std::thread m_thread;  // started and joined under m_controlMutex
    std::mutex m_controlMutex;  // serialises Start and Stop

    std::mutex m_sensorMutex;
    std::unique_ptr<dshow::MicroscopeScene> m_scene;  // guarded by m_sensorMutex

    std::mutex m_ispMutex;
    std::shared_ptr<std::vector<uint8_t>> m_ispOutput;  // guarded by m_ispMutex

    // Settings page, UI thread only.
    bool m_pageCreated = false;
    HWND m_pageOwner = nullptr;
    std::wstring m_pageTitle;
};

}  // namespace kelvara::ywdevsdk
