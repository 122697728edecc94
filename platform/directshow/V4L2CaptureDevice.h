#pragma once
// An opened V4L2 capture node as a CaptureDevice: one capture pin (UVC on
// Linux has no still pin), formats from the driver's format, frame size and
// frame interval lists, streaming through mmap buffers on the device's own
// thread, and controls mapped onto V4L2 controls. Frames are handed on as
// DirectShow would: YUYV as YUY2, BGR24 flipped into a bottom-up RGB24 DIB,
// compressed formats as the driver filled them (their true length). An
// unplugged device ends its stream; every later call fails cleanly.
//
// Threads: CaptureDevice calls come from the UI thread; the streaming thread
// dequeues buffers and calls the sink. m_mutex guards the format fields;
// the streaming thread reads them only while it runs, and they change only
// while it does not.

#include <atomic>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

#include "platform/directshow/CaptureDevice.h"
#include "platform/directshow/V4L2FrameLayout.h"
#include "platform/directshow/V4L2Io.h"

namespace kelvara::dshow {

class V4L2CaptureDevice final : public CaptureDevice
{
public:
    // Opens node and reads its formats; null (with *result) on failure.
    static std::shared_ptr<V4L2CaptureDevice> Open(
        std::shared_ptr<V4L2Io> io, const std::string& node, HRESULT* result);
    ~V4L2CaptureDevice() override;

    bool HasPin(PinKind pin) const override { return pin == PinKind::Capture; }
    std::vector<FormatRange> Formats(PinKind pin) const override;
    VideoFormat CurrentFormat(PinKind pin) const override;
    HRESULT SetFormat(PinKind pin, const VideoFormat& format) override;
    HRESULT Start(PinKind pin, FrameSink sink) override;
    void Stop(PinKind pin) override;
    HRESULT TriggerStill() override { return E_FAIL; }
    bool IsConnected() const override { return !m_gone.load(); }
    REFERENCE_TIME ActualFrameInterval() const override { return m_measuredInterval.load(); }

    HRESULT GetControlRange(ControlSet set, long property, ControlRange* range) override;
    HRESULT GetControl(ControlSet set, long property, long* value, long* flags) override;
    HRESULT SetControl(ControlSet set, long property, long value, long flags) override;
    std::vector<PropertySheetControl> SheetControls() override;

private:
    struct Buffer
    {
        void* start = nullptr;
        size_t length = 0;
    };

    V4L2CaptureDevice(std::shared_ptr<V4L2Io> io, int fd);
    void ReadFormats();
    bool ReadCurrentFormat();
    // ioctl with unplug detection; the errno of a failure in *error.
    bool Call(unsigned long request, void* arg, int* error = nullptr);
    HRESULT ErrorResult(int error) const;
    bool IsAuto(uint32_t autoControl, int32_t value) const;
    HRESULT SetAuto(uint32_t autoControl, bool on);
    void ReleaseBuffers();
    void ThreadMain(FrameSink sink);
    void Deliver(const FrameSink& sink, const uint8_t* data, size_t length);

    const std::shared_ptr<V4L2Io> m_io;
    const int m_fd;
    std::vector<FormatRange> m_formats;

    mutable std::mutex m_mutex;
    VideoFormat m_current;  // guarded by m_mutex
    uint32_t m_bytesPerLine = 0;  // guarded by m_mutex
    V4L2FrameLayout m_layout;  // streaming thread only

    std::vector<Buffer> m_buffers;  // UI thread while stopped; read by the streaming thread
    std::thread m_thread;
    std::atomic<bool> m_stop{false};
    std::atomic<bool> m_gone{false};
    std::atomic<REFERENCE_TIME> m_measuredInterval{0};
};

}  // namespace kelvara::dshow
