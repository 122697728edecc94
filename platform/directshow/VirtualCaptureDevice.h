#pragma once
// A virtual capture device opened from its description: pins with the
// described formats, controls and register port, a streaming thread that
// generates frames at the configured rate, and the described faults. The
// stream keeps the rate's clock: a sink that is late gets the frames it
// missed right after, up to four (the driver's buffers); older ones are lost.
//
// Threads: the CaptureDevice calls come from the UI thread. The device's own
// thread generates frames and calls the sinks. m_mutex guards every member
// marked so; m_deliveryMutex is held while a sink runs so that Stop can wait
// for a frame in flight. Lock order: m_deliveryMutex, then m_mutex. Sinks are
// called holding only m_deliveryMutex.

#include <atomic>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/directshow/VirtualDeviceDescription.h"
#include "platform/directshow/VirtualFrameGenerator.h"

namespace kelvara::dshow {

// State a virtual device shares with its registry entry.
struct VirtualDeviceState
{
    std::atomic<bool> unplugged{false};
    std::atomic<int> stillsDelivered{0};  // stills handed to the still pin's sink
    // Stream frames the sensor made that found every driver buffer full.
    std::atomic<uint64_t> framesLost{0};
};

class VirtualCaptureDevice final : public CaptureDevice
{
public:
    VirtualCaptureDevice(VirtualDeviceDescription description, std::shared_ptr<VirtualDeviceState> state);
    ~VirtualCaptureDevice() override;

    bool HasPin(PinKind pin) const override;
    std::vector<FormatRange> Formats(PinKind pin) const override;
    VideoFormat CurrentFormat(PinKind pin) const override;
    HRESULT SetFormat(PinKind pin, const VideoFormat& format) override;
    HRESULT Start(PinKind pin, FrameSink sink) override;
    void Stop(PinKind pin) override;
    HRESULT TriggerStill() override;
    bool IsConnected() const override;
    REFERENCE_TIME ActualFrameInterval() const override;

    HRESULT GetControlRange(ControlSet set, long property, ControlRange* range) override;
    HRESULT GetControl(ControlSet set, long property, long* value, long* flags) override;
    HRESULT SetControl(ControlSet set, long property, long value, long flags) override;
    std::vector<PropertySheetControl> SheetControls() override;

    // Frames delivered on the stream pins since the device was opened.
    uint64_t FramesDelivered() const { return m_framesDelivered.load(); }

private:
    struct ControlState
    {
        VirtualControl definition;
        long value;
        bool isAuto;
    };

    static size_t Index(PinKind pin) { return static_cast<size_t>(pin); }
    bool IsPortControl(ControlSet set, long property) const;
    void ThreadMain();
    // Generates and delivers one frame of pin; returns false when no sink.
    // m_mutex held: the brightness offset and contrast factor the controls ask for.
    void PictureAdjustment(int* brightnessOffset, double* contrast) const;
    bool Produce(PinKind pin, uint64_t n, bool cutShort);
    void JoinThread();

    const VirtualDeviceDescription m_description;
    const std::shared_ptr<VirtualDeviceState> m_state;
    const REFERENCE_TIME m_interval;

    mutable std::mutex m_mutex;
    std::condition_variable m_wake;
    VideoFormat m_formats[3];  // guarded by m_mutex
    FrameSink m_sinks[3];  // guarded by m_mutex
    bool m_stillPending = false;  // guarded by m_mutex
    bool m_quit = false;  // guarded by m_mutex
    std::map<std::pair<int, long>, ControlState> m_controls;  // guarded by m_mutex
    int m_registerAddress = 0;  // guarded by m_mutex
    std::map<int, int16_t> m_registers;  // guarded by m_mutex

    std::mutex m_deliveryMutex;
    std::thread m_thread;  // UI thread only
    std::atomic<bool> m_threadAlive{false};
    // Used on the device thread only.
    std::unique_ptr<VirtualFrameGenerator> m_generators[3];
    std::chrono::steady_clock::time_point m_streamStart;

    std::atomic<uint64_t> m_framesDelivered{0};
    std::atomic<REFERENCE_TIME> m_measuredInterval{0};
};

}  // namespace kelvara::dshow
