#pragma once
// One opened capture device, whatever provides it (a V4L2 node or a virtual
// device). The DirectShow-shaped source filter is built on this interface;
// providers implement it. Frames leave a device exactly as a DirectShow
// sample grabber would see them: YUY2 packed, RGB24 as bottom-up B,G,R rows
// padded to 4 bytes (a DIB), MJPG and H264 as compressed bytes. A frame's
// length is what actually arrived, which may be less than its format needs but
// is never 0: empty buffers are not handed on.
//
// Threads: all calls come from the UI thread (through the filter graph),
// except the FrameSink, which the device calls on its own streaming thread.
// A device is shared (std::shared_ptr) by its source filter and by property
// sheet entries.

#include <functional>
#include <string>
#include <vector>

#include "platform/directshow/DShowTypes.h"
#include "platform/directshow/PropertySheetHook.h"

namespace kelvara::dshow {

enum class PinKind
{
    Capture = 0,
    Preview = 1,
    Still = 2
};

// One capability: a subtype over a range of frame sizes. A discrete size has
// min == max. Steps are the granularities (>= 1).
struct FormatRange
{
    GUID subtype = GUID_NULL;
    int minWidth = 0;
    int minHeight = 0;
    int maxWidth = 0;
    int maxHeight = 0;
    int stepWidth = 1;
    int stepHeight = 1;
    REFERENCE_TIME minInterval = 0;  // shortest frame interval (100 ns); 0 unknown
    REFERENCE_TIME maxInterval = 0;

    static FormatRange Discrete(const GUID& subtype, int width, int height);
    static FormatRange Stepwise(const GUID& subtype, int minWidth, int minHeight, int maxWidth, int maxHeight,
        int stepWidth, int stepHeight);
    // (width, height) lies in the range on its granularity grid.
    bool Contains(int width, int height) const;
};

struct VideoFormat
{
    GUID subtype = GUID_NULL;
    int width = 0;
    int height = 0;
    REFERENCE_TIME frameInterval = 0;  // 100 ns units; 0 = device's choice
};

enum class ControlSet
{
    VideoProcAmp,  // properties: VideoProcAmpProperty
    CameraControl  // properties: CameraControlProperty
};

struct ControlRange
{
    long minimum = 0;
    long maximum = 0;
    long step = 1;
    long defaultValue = 0;
    long capsFlags = 0;  // Auto (1) and/or Manual (2)
};

// Receives one frame. data is valid only during the call.
using FrameSink = std::function<void(const BYTE* data, size_t length, REFERENCE_TIME time)>;

class CaptureDevice
{
public:
    virtual ~CaptureDevice() = default;

    virtual bool HasPin(PinKind pin) const = 0;
    virtual std::vector<FormatRange> Formats(PinKind pin) const = 0;
    // The pin's current format (the device default until SetFormat).
    virtual VideoFormat CurrentFormat(PinKind pin) const = 0;
    // VFW_E_INVALIDMEDIATYPE when refused (the format stays), VFW_E_NOT_STOPPED
    // while the pin streams, E_DEVICE_NOT_CONNECTED after an unplug.
    virtual HRESULT SetFormat(PinKind pin, const VideoFormat& format) = 0;

    // Starts delivering the pin's frames to sink on the device's thread. The
    // still pin delivers one frame per TriggerStill.
    virtual HRESULT Start(PinKind pin, FrameSink sink) = 0;
    // Stops the pin; when it returns, sink is not running and never runs again.
    virtual void Stop(PinKind pin) = 0;
    // Asks for one still frame. E_FAIL without a still pin.
    virtual HRESULT TriggerStill() = 0;
    // False once the device was unplugged; its stream has then ended.
    virtual bool IsConnected() const = 0;
    // The measured interval between the last frames (100 ns), 0 if unknown.
    virtual REFERENCE_TIME ActualFrameInterval() const = 0;

    // Controls: E_PROP_ID_UNSUPPORTED for a control the device lacks,
    // E_INVALIDARG for a value outside the range.
    virtual HRESULT GetControlRange(ControlSet set, long property, ControlRange* range) = 0;
    virtual HRESULT GetControl(ControlSet set, long property, long* value, long* flags) = 0;
    virtual HRESULT SetControl(ControlSet set, long property, long value, long flags) = 0;
    // Every control of the device, for the property sheet. The apply
    // functions may only be called while the device lives.
    virtual std::vector<PropertySheetControl> SheetControls() = 0;
};

}  // namespace kelvara::dshow
