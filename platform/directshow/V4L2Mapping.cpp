// V4L2 to DirectShow name mappings.

#include "platform/directshow/V4L2Mapping.h"

#include <cctype>
#include <cstdio>
#include <linux/videodev2.h>

namespace kelvara::dshow {

namespace {

struct FormatPair
{
    uint32_t pixelFormat;
    const GUID* subtype;
};

const FormatPair kFormats[] = {
    {V4L2_PIX_FMT_YUYV, &MEDIASUBTYPE_YUY2},
    {V4L2_PIX_FMT_MJPEG, &MEDIASUBTYPE_MJPG},
    {V4L2_PIX_FMT_JPEG, &MEDIASUBTYPE_MJPG},
    {V4L2_PIX_FMT_BGR24, &MEDIASUBTYPE_RGB24},
    {V4L2_PIX_FMT_H264, &MEDIASUBTYPE_H264},
    {V4L2_PIX_FMT_UYVY, &MEDIASUBTYPE_UYVY},
    {V4L2_PIX_FMT_YVYU, &MEDIASUBTYPE_YVYU},
    {V4L2_PIX_FMT_GREY, &MEDIASUBTYPE_GREY},
    {V4L2_PIX_FMT_NV12, &MEDIASUBTYPE_NV12},
    {V4L2_PIX_FMT_YUV420, &MEDIASUBTYPE_IYUV},
    {V4L2_PIX_FMT_YVU420, &MEDIASUBTYPE_YV12},
};

struct ControlEntry
{
    ControlSet set;
    long property;
    uint32_t valueControl;
    uint32_t autoControl;
};

const ControlEntry kControls[] = {
    {ControlSet::VideoProcAmp, VideoProcAmp_Brightness, V4L2_CID_BRIGHTNESS, 0},
    {ControlSet::VideoProcAmp, VideoProcAmp_Contrast, V4L2_CID_CONTRAST, 0},
    {ControlSet::VideoProcAmp, VideoProcAmp_Hue, V4L2_CID_HUE, V4L2_CID_HUE_AUTO},
    {ControlSet::VideoProcAmp, VideoProcAmp_Saturation, V4L2_CID_SATURATION, 0},
    {ControlSet::VideoProcAmp, VideoProcAmp_Sharpness, V4L2_CID_SHARPNESS, 0},
    {ControlSet::VideoProcAmp, VideoProcAmp_Gamma, V4L2_CID_GAMMA, 0},
    {ControlSet::VideoProcAmp, VideoProcAmp_WhiteBalance, V4L2_CID_WHITE_BALANCE_TEMPERATURE,
        V4L2_CID_AUTO_WHITE_BALANCE},
    {ControlSet::VideoProcAmp, VideoProcAmp_BacklightCompensation, V4L2_CID_BACKLIGHT_COMPENSATION, 0},
    {ControlSet::VideoProcAmp, VideoProcAmp_Gain, V4L2_CID_GAIN, V4L2_CID_AUTOGAIN},
    {ControlSet::CameraControl, CameraControl_Pan, V4L2_CID_PAN_ABSOLUTE, 0},
    {ControlSet::CameraControl, CameraControl_Tilt, V4L2_CID_TILT_ABSOLUTE, 0},
    {ControlSet::CameraControl, CameraControl_Zoom, V4L2_CID_ZOOM_ABSOLUTE, 0},
    {ControlSet::CameraControl, CameraControl_Exposure, V4L2_CID_EXPOSURE_ABSOLUTE, V4L2_CID_EXPOSURE_AUTO},
    {ControlSet::CameraControl, CameraControl_Iris, V4L2_CID_IRIS_ABSOLUTE, 0},
    {ControlSet::CameraControl, CameraControl_Focus, V4L2_CID_FOCUS_ABSOLUTE, V4L2_CID_FOCUS_AUTO},
};

bool ParseHex16(const std::string& text, unsigned* value)
{
    std::string digits;
    for (char c : text)
        if (!std::isspace(static_cast<unsigned char>(c)))
            digits.push_back(c);
    if (digits.empty() || digits.size() > 4)
        return false;
    unsigned v = 0;
    for (char c : digits) {
        if (!std::isxdigit(static_cast<unsigned char>(c)))
            return false;
        v = v * 16
            + static_cast<unsigned>(
                std::isdigit(static_cast<unsigned char>(c)) ? c - '0' : std::tolower(c) - 'a' + 10);
    }
    *value = v;
    return true;
}

}  // namespace

bool SubtypeForPixelFormat(uint32_t pixelFormat, GUID* subtype)
{
    for (const FormatPair& f : kFormats) {
        if (f.pixelFormat == pixelFormat) {
            *subtype = *f.subtype;
            return true;
        }
    }
    return false;
}

uint32_t PixelFormatForSubtype(const GUID& subtype, int choice)
{
    for (const FormatPair& f : kFormats)
        if (*f.subtype == subtype && choice-- == 0)
            return f.pixelFormat;
    return 0;
}

bool MapControl(ControlSet set, long property, V4L2ControlMapping* mapping)
{
    for (const ControlEntry& c : kControls) {
        if (c.set == set && c.property == property) {
            *mapping = {c.valueControl, c.autoControl};
            return true;
        }
    }
    return false;
}

std::wstring MakeDevicePath(
    const std::string& node, const std::string& idVendor, const std::string& idProduct)
{
    std::wstring path = WidenUtf8(node);
    unsigned vid = 0;
    unsigned pid = 0;
    if (ParseHex16(idVendor, &vid) && ParseHex16(idProduct, &pid)) {
        wchar_t ids[32];
        std::swprintf(ids, 32, L"#vid_%04x&pid_%04x", vid, pid);
        path += ids;
    }
    return path;
}

std::wstring WidenUtf8(const std::string& text)
{
    std::wstring out;
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int extra = c < 0x80 ? 0
            : (c >> 5) == 0x6      ? 1
            : (c >> 4) == 0xE      ? 2
            : (c >> 3) == 0x1E     ? 3
                                   : -1;
        bool valid = extra >= 0 && i + extra < text.size() + (extra == 0 ? 1 : 0);
        uint32_t cp = extra <= 0 ? c : (c & (0x3Fu >> extra));
        for (int k = 1; valid && k <= extra; ++k) {
            const unsigned char cc = static_cast<unsigned char>(text[i + k]);
            valid = (cc & 0xC0) == 0x80;
            cp = (cp << 6) | (cc & 0x3F);
        }
        if (!valid) {
            out.push_back(L'?');
            ++i;
            continue;
        }
        out.push_back(static_cast<wchar_t>(cp));
        i += static_cast<size_t>(extra) + 1;
    }
    return out;
}

REFERENCE_TIME IntervalFromFraction(uint32_t numerator, uint32_t denominator)
{
    if (denominator == 0)
        return 0;
    return static_cast<REFERENCE_TIME>(
        (static_cast<uint64_t>(numerator) * 10000000ull + denominator / 2) / denominator);
}

}  // namespace kelvara::dshow
