#pragma once
// DirectShow records, enumerations and GUIDs as the capture code uses them.
// Records that cross the layer byte for byte keep the Windows layout:
// BITMAPINFOHEADER 40 bytes, VIDEOINFOHEADER 88 bytes,
// VIDEO_STREAM_CONFIG_CAPS 128 bytes.

#include <cstddef>

#include "platform/directshow/ComTypes.h"

typedef LONGLONG REFERENCE_TIME;  // 100 ns units
typedef long OAFilterState;

// Rectangle and size with 32-bit members, as inside the Windows records.
// (Named apart from the toolkit's RECT/SIZE, whose members are `long`.)
struct RECT32
{
    LONG left;
    LONG top;
    LONG right;
    LONG bottom;
};
struct SIZE32
{
    LONG cx;
    LONG cy;
};

constexpr DWORD BI_RGB = 0;

struct BITMAPINFOHEADER
{
    DWORD biSize;
    LONG biWidth;
    LONG biHeight;  // positive: rows stored bottom-up (RGB formats)
    WORD biPlanes;
    WORD biBitCount;
    DWORD biCompression;  // BI_RGB or the FOURCC of the subtype
    DWORD biSizeImage;
    LONG biXPelsPerMeter;
    LONG biYPelsPerMeter;
    DWORD biClrUsed;
    DWORD biClrImportant;
};
static_assert(sizeof(BITMAPINFOHEADER) == 40, "BITMAPINFOHEADER must keep its 40-byte layout");

struct VIDEOINFOHEADER
{
    RECT32 rcSource;
    RECT32 rcTarget;
    DWORD dwBitRate;
    DWORD dwBitErrorRate;
    REFERENCE_TIME AvgTimePerFrame;
    BITMAPINFOHEADER bmiHeader;
};
static_assert(sizeof(VIDEOINFOHEADER) == 88, "VIDEOINFOHEADER must keep its 88-byte layout");
static_assert(offsetof(VIDEOINFOHEADER, bmiHeader) == 48, "bmiHeader sits at offset 48");

struct VIDEO_STREAM_CONFIG_CAPS
{
    GUID guid;  // FORMAT_VideoInfo
    ULONG VideoStandard;
    SIZE32 InputSize;
    SIZE32 MinCroppingSize;
    SIZE32 MaxCroppingSize;
    int CropGranularityX;
    int CropGranularityY;
    int CropAlignX;
    int CropAlignY;
    SIZE32 MinOutputSize;
    SIZE32 MaxOutputSize;
    int OutputGranularityX;
    int OutputGranularityY;
    int StretchTapsX;
    int StretchTapsY;
    int ShrinkTapsX;
    int ShrinkTapsY;
    LONGLONG MinFrameInterval;
    LONGLONG MaxFrameInterval;
    LONG MinBitsPerSecond;
    LONG MaxBitsPerSecond;
};
static_assert(
    sizeof(VIDEO_STREAM_CONFIG_CAPS) == 128, "VIDEO_STREAM_CONFIG_CAPS must keep its 128-byte layout");

struct IUnknown;

// A media type. pbFormat (cbFormat bytes) is task memory; for video it holds
// a VIDEOINFOHEADER. Release the contents with FreeMediaType (MediaType.h).
struct AM_MEDIA_TYPE
{
    GUID majortype;
    GUID subtype;
    BOOL bFixedSizeSamples;
    BOOL bTemporalCompression;
    ULONG lSampleSize;
    GUID formattype;
    IUnknown* pUnk;
    ULONG cbFormat;
    BYTE* pbFormat;
};

enum PIN_DIRECTION
{
    PINDIR_INPUT = 0,
    PINDIR_OUTPUT = 1
};

enum FILTER_STATE
{
    State_Stopped = 0,
    State_Paused = 1,
    State_Running = 2
};

struct IBaseFilter;
struct IFilterGraph;

// pFilter / pGraph come AddRef'd: the caller releases them (when non-null).
struct PIN_INFO
{
    IBaseFilter* pFilter;
    PIN_DIRECTION dir;
    WCHAR achName[128];
};
struct FILTER_INFO
{
    WCHAR achName[128];
    IFilterGraph* pGraph;
};

// A counted array of CLSIDs; pElems is task memory.
struct CAUUID
{
    ULONG cElems;
    GUID* pElems;
};

enum VideoProcAmpProperty
{
    VideoProcAmp_Brightness = 0,
    VideoProcAmp_Contrast = 1,
    VideoProcAmp_Hue = 2,
    VideoProcAmp_Saturation = 3,
    VideoProcAmp_Sharpness = 4,
    VideoProcAmp_Gamma = 5,
    VideoProcAmp_ColorEnable = 6,
    VideoProcAmp_WhiteBalance = 7,
    VideoProcAmp_BacklightCompensation = 8,
    VideoProcAmp_Gain = 9
};
enum VideoProcAmpFlags
{
    VideoProcAmp_Flags_Auto = 0x1,
    VideoProcAmp_Flags_Manual = 0x2
};

enum CameraControlProperty
{
    CameraControl_Pan = 0,
    CameraControl_Tilt = 1,
    CameraControl_Roll = 2,
    CameraControl_Zoom = 3,
    CameraControl_Exposure = 4,
    CameraControl_Iris = 5,
    CameraControl_Focus = 6
};
enum CameraControlFlags
{
    CameraControl_Flags_Auto = 0x1,
    CameraControl_Flags_Manual = 0x2
};

enum VideoControlFlags
{
    VideoControlFlag_FlipHorizontal = 0x1,
    VideoControlFlag_FlipVertical = 0x2,
    VideoControlFlag_ExternalTriggerEnable = 0x4,
    VideoControlFlag_Trigger = 0x8
};

// ICreateDevEnum::CreateClassEnumerator flags (accepted, no effect).
constexpr DWORD CDEF_DEVMON_FILTER = 0x4;

// DirectShow-specific results.
constexpr HRESULT VFW_E_INVALIDMEDIATYPE = static_cast<HRESULT>(0x80040200u);
constexpr HRESULT VFW_E_ALREADY_CONNECTED = static_cast<HRESULT>(0x80040204u);
constexpr HRESULT VFW_E_NO_ACCEPTABLE_TYPES = static_cast<HRESULT>(0x80040207u);
constexpr HRESULT VFW_E_NOT_CONNECTED = static_cast<HRESULT>(0x80040209u);
constexpr HRESULT VFW_E_NOT_FOUND = static_cast<HRESULT>(0x80040216u);
constexpr HRESULT VFW_E_CANNOT_CONNECT = static_cast<HRESULT>(0x80040217u);
constexpr HRESULT VFW_E_NOT_STOPPED = static_cast<HRESULT>(0x80040224u);
constexpr HRESULT VFW_E_WRONG_STATE = static_cast<HRESULT>(0x80040227u);
constexpr HRESULT VFW_E_TYPE_NOT_ACCEPTED = static_cast<HRESULT>(0x8004022Au);

constexpr DWORD MakeFourCC(char a, char b, char c, char d)
{
    return static_cast<DWORD>(static_cast<uint8_t>(a)) | (static_cast<DWORD>(static_cast<uint8_t>(b)) << 8)
        | (static_cast<DWORD>(static_cast<uint8_t>(c)) << 16)
        | (static_cast<DWORD>(static_cast<uint8_t>(d)) << 24);
}

// The media subtype GUID of a FOURCC: {FOURCC-0000-0010-8000-00AA00389B71}.
constexpr GUID FourCCGuid(DWORD fourcc)
{
    return GUID{fourcc, 0x0000, 0x0010, {0x80, 0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71}};
}

// Media and format types.
inline constexpr GUID MEDIATYPE_Video = FourCCGuid(MakeFourCC('v', 'i', 'd', 's'));
inline constexpr GUID FORMAT_VideoInfo
    = {0x05589F80, 0xC356, 0x11CE, {0xBF, 0x01, 0x00, 0xAA, 0x00, 0x55, 0x59, 0x5A}};

// Subtypes.
inline constexpr GUID MEDIASUBTYPE_RGB24
    = {0xE436EB7D, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID MEDIASUBTYPE_RGB32
    = {0xE436EB7E, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID MEDIASUBTYPE_RGB555
    = {0xE436EB7C, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID MEDIASUBTYPE_RGB565
    = {0xE436EB7B, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr GUID MEDIASUBTYPE_YUY2 = FourCCGuid(MakeFourCC('Y', 'U', 'Y', '2'));
inline constexpr GUID MEDIASUBTYPE_YVYU = FourCCGuid(MakeFourCC('Y', 'V', 'Y', 'U'));
inline constexpr GUID MEDIASUBTYPE_YUYV = FourCCGuid(MakeFourCC('Y', 'U', 'Y', 'V'));
inline constexpr GUID MEDIASUBTYPE_IYUV = FourCCGuid(MakeFourCC('I', 'Y', 'U', 'V'));
inline constexpr GUID MEDIASUBTYPE_UYVY = FourCCGuid(MakeFourCC('U', 'Y', 'V', 'Y'));
inline constexpr GUID MEDIASUBTYPE_YV12 = FourCCGuid(MakeFourCC('Y', 'V', '1', '2'));
inline constexpr GUID MEDIASUBTYPE_YVU9 = FourCCGuid(MakeFourCC('Y', 'V', 'U', '9'));
inline constexpr GUID MEDIASUBTYPE_Y411 = FourCCGuid(MakeFourCC('Y', '4', '1', '1'));
inline constexpr GUID MEDIASUBTYPE_Y41P = FourCCGuid(MakeFourCC('Y', '4', '1', 'P'));
inline constexpr GUID MEDIASUBTYPE_Y211 = FourCCGuid(MakeFourCC('Y', '2', '1', '1'));
inline constexpr GUID MEDIASUBTYPE_AYUV = FourCCGuid(MakeFourCC('A', 'Y', 'U', 'V'));
inline constexpr GUID MEDIASUBTYPE_Y800 = FourCCGuid(MakeFourCC('Y', '8', '0', '0'));
inline constexpr GUID MEDIASUBTYPE_Y8 = FourCCGuid(MakeFourCC('Y', '8', ' ', ' '));
inline constexpr GUID MEDIASUBTYPE_GREY = FourCCGuid(MakeFourCC('G', 'R', 'E', 'Y'));
inline constexpr GUID MEDIASUBTYPE_MJPG = FourCCGuid(MakeFourCC('M', 'J', 'P', 'G'));
inline constexpr GUID MEDIASUBTYPE_H264 = FourCCGuid(MakeFourCC('H', '2', '6', '4'));
inline constexpr GUID MEDIASUBTYPE_NV12 = FourCCGuid(MakeFourCC('N', 'V', '1', '2'));

// Pin categories.
inline constexpr GUID PIN_CATEGORY_CAPTURE
    = {0xFB6C4281, 0x0353, 0x11D1, {0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
inline constexpr GUID PIN_CATEGORY_PREVIEW
    = {0xFB6C4282, 0x0353, 0x11D1, {0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
inline constexpr GUID PIN_CATEGORY_STILL
    = {0xFB6C428A, 0x0353, 0x11D1, {0x90, 0x5F, 0x00, 0x00, 0xC0, 0xCC, 0x16, 0xBA}};
// Property set of IKsPropertySet holding a pin's category (property 0).
inline constexpr GUID AMPROPSETID_Pin
    = {0x9B00F101, 0x1567, 0x11D1, {0xB3, 0xF1, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5}};
constexpr DWORD AMPROPERTY_PIN_CATEGORY = 0;

// Classes for CoCreateInstance and the device category.
inline constexpr CLSID CLSID_SystemDeviceEnum
    = {0x62BE5D10, 0x60EB, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
inline constexpr CLSID CLSID_VideoInputDeviceCategory
    = {0x860BB310, 0x5D01, 0x11D0, {0xBD, 0x3B, 0x00, 0xA0, 0xC9, 0x11, 0xCE, 0x86}};
inline constexpr CLSID CLSID_CaptureGraphBuilder2
    = {0xBF87B6E1, 0x8C27, 0x11D0, {0xB3, 0xF0, 0x00, 0xAA, 0x00, 0x37, 0x61, 0xC5}};
inline constexpr CLSID CLSID_FilterGraph
    = {0xE436EBB3, 0x524F, 0x11CE, {0x9F, 0x53, 0x00, 0x20, 0xAF, 0x0B, 0xA7, 0x70}};
inline constexpr CLSID CLSID_SampleGrabber
    = {0xC1F400A0, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
inline constexpr CLSID CLSID_NullRenderer
    = {0xC1F400A4, 0x3F08, 0x11D3, {0x9F, 0x0B, 0x00, 0x60, 0x08, 0x03, 0x9E, 0x37}};
// Classes of the layer's own filters (GetClassID answers).
inline constexpr CLSID CLSID_KelvaraCaptureSource
    = {0x7A1C5E20, 0x4B3D, 0x4C8E, {0x9A, 0x11, 0x5D, 0x2F, 0x6B, 0x80, 0x13, 0x01}};
// The one property page a capture source names: the generic control sheet
// that OleCreatePropertyFrame shows through the property-sheet hook.
inline constexpr CLSID CLSID_KelvaraControlSheetPage
    = {0x7A1C5E20, 0x4B3D, 0x4C8E, {0x9A, 0x11, 0x5D, 0x2F, 0x6B, 0x80, 0x13, 0x02}};
