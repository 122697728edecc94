#pragma once
// Records, enumerations and status codes shared by the camera module and the
// program. They cross the library boundary by value; both sides are built by
// the same compiler and share one heap.

#include "platform/duilib/UIWindowMessages.h"  // HWND, tagSIZE

#include <cstdint>
#include <string>
#include <vector>

// Status codes: every int result of the camera interface uses this space.
enum : int
{
    CM_OK = 0,
    CM_ERR_FAILED = -1,  // operation failed
    CM_ERR_NO_DEVICE = -2,  // null argument or no open device
    CM_ERR_NOT_SUPPORTED = -3,  // property, size list or buffer not supported
    CM_ERR_STILL_TRIGGER = -4,  // still-capture trigger could not be sent
    CM_ERR_STILL_TIMEOUT = -5,  // no still frame within 6000 ms
    CM_ERR_SDK_PROPERTY = 21,  // property not handled by the SDK / range query failed
    CM_ERR_OPEN = 24,  // the camera could not be opened
    CM_ERR_PREVIEW_TIMEOUT = 25,  // no preview frame within 10000 ms
    CM_ERR_DISCONNECTED = 26,  // wireless poll failed or camera gone
    CM_ERR_STILL_FORMAT = 28,  // the current still format is unknown
    CM_ERR_NOT_IMPLEMENTED = 29,  // not implemented / device refused a control write
    CM_ERR_SIZE = 30,  // requested preview size not offered or not set
};

// Pixel formats, a plain int on the interface.
typedef int tagCMImageFormat;
enum : int
{
    CM_FMT_RAW24 = 0,  // 3 bytes per pixel: R, G, B
    CM_FMT_RGB24 = 1,  // 3 bytes per pixel: B, G, R
    CM_FMT_RGB32 = 2,  // 4 bytes per pixel: B, G, R, unused
    CM_FMT_ARGB32 = 3,  // 4 bytes per pixel: B, G, R, A
    CM_FMT_YUY2 = 6,  // packed 4:2:2 Y0 U Y1 V
    CM_FMT_YUYV = 8,  // packed 4:2:2 of the wireless camera
    CM_FMT_MJPG = 20,  // one JPEG stream per frame
    CM_FMT_H264 = 21,  // one H.264 access unit per frame
    CM_FMT_UNKNOWN = 22,  // any other subtype
    CM_FMT_NV12 = 23,  // planar 4:2:0: Y plane, then interleaved U, V
    CM_FMT_I420 = 24,  // planar 4:2:0: Y, U, V planes (IYUV, V4L2 YUV420)
    CM_FMT_YV12 = 25,  // planar 4:2:0: Y, V, U planes
    CM_FMT_GREY = 26,  // 1 byte per pixel: luminance (GREY, Y800, Y8)
    CM_FMT_UYVY = 27,  // packed 4:2:2 U Y0 V Y1
    CM_FMT_YVYU = 28,  // packed 4:2:2 Y0 V Y1 U
};

// Camera property numbers, a plain int on the interface.
typedef int tagCMProperty;
enum : int
{
    CM_PROP_BRIGHTNESS = 0,
    CM_PROP_CONTRAST = 1,
    CM_PROP_HUE = 2,
    CM_PROP_SATURATION = 3,
    CM_PROP_GAMMA = 4,
    CM_PROP_SHARPNESS = 5,
    CM_PROP_RED_GAIN = 6,
    CM_PROP_GREEN_GAIN = 7,
    CM_PROP_BLUE_GAIN = 8,
    CM_PROP_GAIN = 9,
    CM_PROP_SOFT_RED = 10,
    CM_PROP_SOFT_GREEN = 11,
    CM_PROP_SOFT_BLUE = 12,
    CM_PROP_CONTROL13 = 13,
    CM_PROP_AE_TARGET = 14,
    CM_PROP_EXPOSURE = 15,
    CM_PROP_WHITE_BALANCE = 16,
    CM_PROP_WB_ONCE = 17,
    CM_PROP_WB_TEMPERATURE = 18,
    CM_PROP_COLOR_MODE = 19,
    CM_PROP_POWER_FREQ = 20,
    CM_PROP_DENOISE = 21,
    CM_PROP_IRIS = 22,
    CM_PROP_MIRROR = 23,
    CM_PROP_FLIP = 24,
};

// One frame or one still picture.
//
// In a frame notification `data` belongs to the backend and is valid only
// during the callback. From GetPreviewImage/GetStillImage (and Snap) the
// caller owns `data` and frees it with delete[]. `dataSize` is the number of
// valid bytes in `data`; it may be smaller than the format and size need
// (a truncated buffer), so readers check it before reading.
struct tagCMImage
{
    int format;
    int width;
    int height;
    int bottomUp;
    unsigned char* data;
    int dataSize;
    int bufferSize;
};

// Whether a listed device can be opened (status of _tag_VideoDeviceInfo).
enum : int
{
    CM_DEVICE_READY = 0,
    CM_DEVICE_NO_PERMISSION = 1,  // the user may not open it (not in the device's group, e.g. "video")
};

// One device record, copied by value between the module and the program.
// The character capacities are fixed: 31 name characters and 19 address
// characters, each plus a terminator.
struct _tag_VideoDeviceInfo
{
    wchar_t name[32];
    int vid;
    int pid;
    int number;
    wchar_t address[20];
    int status;  // CM_DEVICE_READY, or why the device cannot be opened
};
static_assert(sizeof(_tag_VideoDeviceInfo) == 32 * sizeof(wchar_t) + 12 + 20 * sizeof(wchar_t) + 4,
    "device records are copied as a block");

// One group of devices reached through one backend.
struct _tag_VideoDeviceList
{
    int type;  // 0 = DirectShow, 3 = vendor USB SDK
    wchar_t name[260];
    std::vector<_tag_VideoDeviceInfo> devices;
};

// Frame callback: event 0 = new preview frame; image is the address of a
// tagCMImage valid only during the call; reserved is 0; the result is ignored.
typedef int (*CMFrameCallback)(void* user, int event, long image, long reserved);
