// Media type helpers and the video media types devices describe themselves with.

#include "platform/directshow/MediaType.h"

#include <algorithm>
#include <cstring>

void FreeMediaType(AM_MEDIA_TYPE& mt)
{
    if (mt.cbFormat != 0 || mt.pbFormat) {
        CoTaskMemFree(mt.pbFormat);
        mt.cbFormat = 0;
        mt.pbFormat = nullptr;
    }
    if (mt.pUnk) {
        mt.pUnk->Release();
        mt.pUnk = nullptr;
    }
}

void DeleteMediaType(AM_MEDIA_TYPE* pmt)
{
    if (!pmt)
        return;
    FreeMediaType(*pmt);
    CoTaskMemFree(pmt);
}

HRESULT CopyMediaType(AM_MEDIA_TYPE* dst, const AM_MEDIA_TYPE* src)
{
    if (!dst || !src)
        return E_POINTER;
    *dst = *src;
    if (src->cbFormat != 0 && src->pbFormat) {
        dst->pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(src->cbFormat));
        if (!dst->pbFormat) {
            dst->cbFormat = 0;
            return E_OUTOFMEMORY;
        }
        std::memcpy(dst->pbFormat, src->pbFormat, src->cbFormat);
    } else {
        dst->cbFormat = 0;
        dst->pbFormat = nullptr;
    }
    if (dst->pUnk)
        dst->pUnk->AddRef();
    return S_OK;
}

AM_MEDIA_TYPE* CreateMediaType(const AM_MEDIA_TYPE* src)
{
    if (!src)
        return nullptr;
    auto* copy = static_cast<AM_MEDIA_TYPE*>(CoTaskMemAlloc(sizeof(AM_MEDIA_TYPE)));
    if (!copy)
        return nullptr;
    if (FAILED(CopyMediaType(copy, src))) {
        CoTaskMemFree(copy);
        return nullptr;
    }
    return copy;
}

VIDEOINFOHEADER* GetVideoInfo(const AM_MEDIA_TYPE* pmt)
{
    if (!pmt || pmt->formattype != FORMAT_VideoInfo || pmt->cbFormat < sizeof(VIDEOINFOHEADER)
        || !pmt->pbFormat)
        return nullptr;
    return reinterpret_cast<VIDEOINFOHEADER*>(pmt->pbFormat);
}

namespace kelvara::dshow {

namespace {

bool IsRgb(const GUID& s)
{
    return s == MEDIASUBTYPE_RGB24 || s == MEDIASUBTYPE_RGB32 || s == MEDIASUBTYPE_RGB555
        || s == MEDIASUBTYPE_RGB565;
}

// DIB rows are padded to 4 bytes.
uint32_t DibStride(int width, int bits)
{
    return ((static_cast<uint32_t>(width) * bits + 31) / 32) * 4;
}

}  // namespace

WORD BitCount(const GUID& s)
{
    if (s == MEDIASUBTYPE_RGB24 || s == MEDIASUBTYPE_MJPG || s == MEDIASUBTYPE_H264)
        return 24;
    if (s == MEDIASUBTYPE_RGB32 || s == MEDIASUBTYPE_AYUV)
        return 32;
    if (s == MEDIASUBTYPE_RGB555 || s == MEDIASUBTYPE_RGB565 || s == MEDIASUBTYPE_YUY2
        || s == MEDIASUBTYPE_YVYU || s == MEDIASUBTYPE_YUYV || s == MEDIASUBTYPE_UYVY
        || s == MEDIASUBTYPE_Y211)
        return 16;
    if (s == MEDIASUBTYPE_IYUV || s == MEDIASUBTYPE_YV12 || s == MEDIASUBTYPE_NV12 || s == MEDIASUBTYPE_Y411
        || s == MEDIASUBTYPE_Y41P)
        return 12;
    if (s == MEDIASUBTYPE_YVU9)
        return 9;
    if (s == MEDIASUBTYPE_Y800 || s == MEDIASUBTYPE_Y8 || s == MEDIASUBTYPE_GREY)
        return 8;
    return 0;
}

uint32_t FrameBytes(const GUID& s, int width, int height)
{
    if (width <= 0 || height <= 0)
        return 0;
    const uint64_t w = static_cast<uint64_t>(width);
    const uint64_t h = static_cast<uint64_t>(height);
    uint64_t bytes = 0;
    if (IsRgb(s))
        bytes = static_cast<uint64_t>(DibStride(width, BitCount(s))) * h;
    else if (s == MEDIASUBTYPE_YUY2 || s == MEDIASUBTYPE_YVYU || s == MEDIASUBTYPE_YUYV
        || s == MEDIASUBTYPE_UYVY)
        bytes = ((w + 1) / 2) * 4 * h;
    else if (s == MEDIASUBTYPE_IYUV || s == MEDIASUBTYPE_YV12 || s == MEDIASUBTYPE_NV12)
        bytes = w * h + 2 * ((w + 1) / 2) * ((h + 1) / 2);
    else if (s == MEDIASUBTYPE_AYUV)
        bytes = w * h * 4;
    else if (s == MEDIASUBTYPE_Y800 || s == MEDIASUBTYPE_Y8 || s == MEDIASUBTYPE_GREY)
        bytes = w * h;
    else if (BitCount(s) != 0 && s != MEDIASUBTYPE_MJPG && s != MEDIASUBTYPE_H264)
        bytes = (w * h * BitCount(s) + 7) / 8;
    return bytes > 0xFFFFFFFFu ? 0 : static_cast<uint32_t>(bytes);
}

AM_MEDIA_TYPE MakeVideoMediaType(const GUID& subtype, int width, int height, REFERENCE_TIME frameInterval)
{
    AM_MEDIA_TYPE mt{};
    mt.majortype = MEDIATYPE_Video;
    mt.subtype = subtype;
    mt.formattype = FORMAT_VideoInfo;
    const uint32_t bytes = FrameBytes(subtype, width, height);
    const bool compressed = subtype == MEDIASUBTYPE_MJPG || subtype == MEDIASUBTYPE_H264;
    mt.bFixedSizeSamples = compressed ? FALSE : TRUE;
    mt.bTemporalCompression = subtype == MEDIASUBTYPE_H264 ? TRUE : FALSE;
    mt.lSampleSize = compressed ? static_cast<ULONG>(static_cast<uint64_t>(width) * height * 3) : bytes;
    mt.cbFormat = sizeof(VIDEOINFOHEADER);
    mt.pbFormat = static_cast<BYTE*>(CoTaskMemAlloc(sizeof(VIDEOINFOHEADER)));
    if (!mt.pbFormat) {
        mt.cbFormat = 0;
        return mt;
    }
    VIDEOINFOHEADER vih{};
    vih.AvgTimePerFrame = frameInterval;
    vih.bmiHeader.biSize = sizeof(BITMAPINFOHEADER);
    vih.bmiHeader.biWidth = width;
    vih.bmiHeader.biHeight = height;
    vih.bmiHeader.biPlanes = 1;
    vih.bmiHeader.biBitCount = BitCount(subtype);
    vih.bmiHeader.biCompression = IsRgb(subtype) ? BI_RGB : subtype.Data1;
    vih.bmiHeader.biSizeImage = compressed ? mt.lSampleSize : bytes;
    if (frameInterval > 0)
        vih.dwBitRate = static_cast<DWORD>(
            std::min<uint64_t>(0xFFFFFFFFu, vih.bmiHeader.biSizeImage * 8ull * 10000000ull / frameInterval));
    std::memcpy(mt.pbFormat, &vih, sizeof(vih));
    return mt;
}

const char* SubtypeName(const GUID& s)
{
    struct Entry
    {
        const GUID* guid;
        const char* name;
    };
    static const Entry kNames[] = {
        {&MEDIASUBTYPE_RGB24, "RGB24"},
        {&MEDIASUBTYPE_RGB32, "RGB32"},
        {&MEDIASUBTYPE_RGB555, "RGB555"},
        {&MEDIASUBTYPE_RGB565, "RGB565"},
        {&MEDIASUBTYPE_YUY2, "YUY2"},
        {&MEDIASUBTYPE_YVYU, "YVYU"},
        {&MEDIASUBTYPE_YUYV, "YUYV"},
        {&MEDIASUBTYPE_IYUV, "IYUV"},
        {&MEDIASUBTYPE_UYVY, "UYVY"},
        {&MEDIASUBTYPE_YV12, "YV12"},
        {&MEDIASUBTYPE_YVU9, "YVU9"},
        {&MEDIASUBTYPE_Y411, "Y411"},
        {&MEDIASUBTYPE_Y41P, "Y41P"},
        {&MEDIASUBTYPE_Y211, "Y211"},
        {&MEDIASUBTYPE_AYUV, "AYUV"},
        {&MEDIASUBTYPE_Y800, "Y800"},
        {&MEDIASUBTYPE_Y8, "Y8"},
        {&MEDIASUBTYPE_GREY, "GREY"},
        {&MEDIASUBTYPE_MJPG, "MJPG"},
        {&MEDIASUBTYPE_H264, "H264"},
        {&MEDIASUBTYPE_NV12, "NV12"},
    };
    for (const Entry& e : kNames)
        if (*e.guid == s)
            return e.name;
    return "OTHER";
}

}  // namespace kelvara::dshow
