#pragma once
// The vendor USB camera SDK: a C interface over a device factory, devices
// with their own delivery thread, an image processor (DeviceISP) and one
// function per image setting. Here it is a simulated camera that looks at a
// microscope scene.
//
// Results: 0 (or a count) on success, negative on failure (YW_ERR_*).
// Handles are non-zero positive ints; 0 is never a valid handle.
//
// Threads: every function may be called from any thread, except where noted.
// The frame function registered with DeviceInitEx runs on the device's
// delivery thread, which Start creates and Stop joins; Stop, CloseDevice,
// DeviceUnInit and DeviceRelease return only after the frame function has
// returned for the last time. None of them may be called from inside the
// frame function. DeviceISP is meant for the frame function: its result stays
// valid until the next DeviceISP call for the same device.

#include <cstddef>
#include <cstdint>

struct HWND__;
typedef HWND__* HWND;

extern "C" {

enum
{
    YW_OK = 0,
    YW_ERR_HANDLE = -1,  // unknown factory or device handle
    YW_ERR_ARGUMENT = -2,  // null pointer or value out of range
    YW_ERR_BUSY = -3,  // the device is open elsewhere
    YW_ERR_NO_DEVICE = -4,  // no device with that index
    YW_ERR_NO_FRAME = -5,  // nothing to capture
    YW_ERR_IO = -6,  // a file could not be written
    YW_ERR_UI = -7,  // the settings page cannot be shown
};

// One device as EnumDevice reports it.
struct YWDeviceRecord
{
    int32_t index;  // 0: position among the factory's devices
    int32_t reserved;  // 4
    const wchar_t* name;  // 8: device name, valid during the callback
    uint16_t vendorId;  // 16
    uint16_t productId;  // 18
};
static_assert(offsetof(YWDeviceRecord, name) == 8, "name pointer at offset 8");

// One resolution (20 bytes). For a listed resolution `custom` is 0 and
// `index` is its position in the GetResolutions list.
struct YWResolution
{
    uint8_t index;  // 0
    uint8_t reserved0[3];
    int32_t binning;  // 4: 1 = full sensor read-out
    int32_t width;  // 8
    int32_t height;  // 12
    uint8_t custom;  // 16: non-zero for a region of interest (not listed)
    uint8_t reserved1[3];
};
static_assert(sizeof(YWResolution) == 20, "resolution records are 20 bytes");
static_assert(offsetof(YWResolution, width) == 8 && offsetof(YWResolution, height) == 12
        && offsetof(YWResolution, custom) == 16,
    "resolution record layout");

// One frame speed: a name and the value SetFrameSpeed takes.
struct YWFrameSpeed
{
    wchar_t name[260];
    int32_t value;
};

// Ranges of the settings (min, max, default each).
struct YWCapability
{
    int32_t frameSpeedCount;  // 0
    int32_t reserved0;  // 4
    const YWFrameSpeed* frameSpeeds;  // 8: frameSpeedCount entries, valid while the device is open
    int32_t maxWidth;  // 16
    int32_t maxHeight;  // 20
    uint8_t reserved1[16];  // 24
    uint8_t redGain[3];  // 40
    uint8_t greenGain[3];  // 43
    uint8_t blueGain[3];  // 46
    uint8_t analogGain[3];  // 49
    uint8_t saturation[3];  // 52
    uint8_t reserved2;  // 55
    float gammaMin;  // 56
    float gammaMax;  // 60
    float gammaDefault;  // 64
    int16_t contrast[3];  // 68
    uint8_t aeTarget[3];  // 74
    uint8_t reserved3;  // 77
    uint16_t exposureTime[3];  // 78: milliseconds
    uint8_t reserved4[2];  // 84
};
static_assert(offsetof(YWCapability, redGain) == 40 && offsetof(YWCapability, analogGain) == 49
        && offsetof(YWCapability, saturation) == 52 && offsetof(YWCapability, gammaMin) == 56
        && offsetof(YWCapability, gammaDefault) == 64 && offsetof(YWCapability, contrast) == 68
        && offsetof(YWCapability, aeTarget) == 74 && offsetof(YWCapability, exposureTime) == 78,
    "capability record layout");

// One sensor frame as the delivery thread hands it to the frame function:
// packed R, G, B bytes, top row first, no row padding.
struct YWFrameRecord
{
    uint32_t sequence;  // 0: frames since Start
    uint32_t rawFormat;  // 4: YW_RAW_RGB24
    int32_t width;  // 8
    int32_t height;  // 12
    const uint8_t* data;  // 16
    int32_t dataSize;  // 24
    uint16_t exposureTime;  // 28: milliseconds this frame was exposed
    uint8_t analogGain;  // 30
    uint8_t reserved;  // 31
    uint64_t timestampUs;  // 32: steady clock
};
static_assert(
    offsetof(YWFrameRecord, width) == 8 && offsetof(YWFrameRecord, height) == 12, "frame record layout");

enum
{
    YW_RAW_RGB24 = 1
};

// CaptureFile modes.
enum
{
    YW_CAPTURE_BMP = 2  // 24-bit BMP, name + ".bmp"
};

// Called once per device by EnumDevice; the result is ignored.
typedef int (*YWEnumDeviceCallback)(const YWDeviceRecord* record, void* context);
// Called on the delivery thread for every frame: the device handle, a frame
// slot (the frame's sequence number), the frame and the context given to
// DeviceInitEx. The result is ignored.
typedef int (*YWFrameCallback)(int device, int slot, const YWFrameRecord* frame, void* context);

// Factory: 0 when no device support is available.
int CreateDeviceFactoryHandle(int reserved0, int reserved1);
// Calls callback once per device; returns the number of devices.
int EnumDevice(int factory, YWEnumDeviceCallback callback, void* context);
int DeviceFactoryRelease(int factory);

// Opens device index of the factory; *device receives the handle.
int OpenDevice(int factory, uint8_t index, int* device, int reserved);
// Registers the frame function and its context (while stopped). mode is
// ignored; reserved must be 0.
int DeviceInitEx(int device, YWFrameCallback callback, void* context, int reserved, int mode);
int Start(int device);
int Stop(int device);
// Stops the stream and closes the USB link; settings stay.
int CloseDevice(int device);
// Stops the stream and forgets the frame function.
int DeviceUnInit(int device);
// Stops everything and frees the handle.
int DeviceRelease(int device);

// Image processing of one frame: white-balance gains, contrast, gamma,
// saturation, mirror and flip. Returns packed B, G, R bytes, top row first,
// width * height * 3 bytes, or null for an unknown device or a bad frame.
uint8_t* DeviceISP(int device, int slot, const YWFrameRecord* frame);
// Writes the last delivered frame (or, before the first one, a fresh frame)
// as processed now to a file; mode YW_CAPTURE_BMP writes name + ".bmp".
int CaptureFile(int device, const char* name, int mode);

// Resolutions: with a null array the count, else fills count records.
int GetResolutions(int device, YWResolution* records);
int GetResolution(int device, YWResolution* record);
int SetResolution(int device, YWResolution record);
int GetCapability(int device, YWCapability* capability);

int GetFrameSpeed(int device, int* value);
int SetFrameSpeed(int device, int value);

int GetContrast(int device, int16_t* value);
int SetContrast(int device, int16_t value);
int SetContrastState(int device, int enabled);
int GetSaturation(int device, uint8_t* value);
int SetSaturation(int device, uint8_t value);
int SetSaturationState(int device, int enabled);
int GetGamma(int device, float* value);
int SetGamma(int device, float value);
int SetGammaState(int device, int enabled);
int GetGain(int device, uint8_t* red, uint8_t* green, uint8_t* blue);
int SetGain(int device, uint8_t red, uint8_t green, uint8_t blue);
int GetAnalogGain(int device, uint8_t* value);
int SetAnalogGain(int device, uint8_t value);
int GetAutoExposureTarget(int device, uint8_t* value);
int SetAutoExposureTarget(int device, uint8_t value);
int GetExposureTime(int device, uint16_t* milliseconds);
int SetExposureTime(int device, uint16_t milliseconds);
int GetAutoExposureState(int device, int* enabled);
int SetAutoExposureState(int device, int enabled);
// One-push white balance: the next frame sets the channel gains.
int SetOnceWBalace(int device);
// axis 0: horizontal mirror, 1: vertical flip.
int SetMirror(int device, int axis, int enabled);
int GetMirror(int device, int axis, int* enabled);

// The device's settings page, shown modally through the property-sheet
// presenter (UI thread). YW_ERR_UI when no presenter is registered.
int DeviceCreateSettingPage(int device, HWND owner, const wchar_t* title);
int DeviceShowSettingPage(int device, int show);

}  // extern "C"
