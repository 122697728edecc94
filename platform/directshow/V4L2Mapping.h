#pragma once
// How V4L2 names map onto the DirectShow ones: pixel formats onto media
// subtypes, V4L2 controls onto IAMVideoProcAmp / IAMCameraControl
// properties, USB ids onto a device path. Pure functions; any thread.

#include <cstdint>
#include <string>

#include "platform/directshow/CaptureDevice.h"

namespace kelvara::dshow {

// The subtype a V4L2 pixel format is delivered as (YUYV as YUY2, BGR24 as
// RGB24, MJPEG/JPEG as MJPG, ...); false for formats the layer cannot hand
// on in a DirectShow layout.
bool SubtypeForPixelFormat(uint32_t pixelFormat, GUID* subtype);
// The V4L2 pixel formats behind a subtype, preferred first (MJPG: MJPEG then
// JPEG); 0 when none.
uint32_t PixelFormatForSubtype(const GUID& subtype, int choice = 0);

// The V4L2 control behind a DirectShow property, with its automatic-mode
// control (0 when there is none). False when the property has no V4L2
// counterpart (e.g. CameraControl_Roll).
struct V4L2ControlMapping
{
    uint32_t valueControl;
    uint32_t autoControl;
};
bool MapControl(ControlSet set, long property, V4L2ControlMapping* mapping);

// "<node>#vid_XXXX&pid_YYYY" from the sysfs idVendor/idProduct texts (hex,
// maybe with a newline); just the node when either is missing or malformed.
std::wstring MakeDevicePath(
    const std::string& node, const std::string& idVendor, const std::string& idProduct);

// UTF-8 to wide text; invalid bytes become '?'.
std::wstring WidenUtf8(const std::string& text);

// Frame interval in 100 ns units of numerator/denominator seconds; 0 when
// the denominator is 0.
REFERENCE_TIME IntervalFromFraction(uint32_t numerator, uint32_t denominator);

}  // namespace kelvara::dshow
