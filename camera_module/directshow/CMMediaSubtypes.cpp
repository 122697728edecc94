#include "camera_module/directshow/CMMediaSubtypes.h"

#include "camera_module/CMTypes.h"

namespace {

struct SubtypeRow
{
    const GUID* subtype;
    const char* name;
};

const SubtypeRow kRows[kSubtypeCount] = {
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
};

}  // namespace

const GUID& SubtypeAt(int index)
{
    if (index < 0 || index >= kSubtypeCount)
        return GUID_NULL;
    return *kRows[index].subtype;
}

int SubtypeIndex(const GUID& subtype)
{
    for (int i = 0; i < kSubtypeCount; ++i) {
        if (*kRows[i].subtype == subtype)
            return i;
    }
    return -1;
}

int FormatOfSubtypeIndex(int index)
{
    switch (index) {
    case kSubtypeRGB24:
        return CM_FMT_RGB24;
    case kSubtypeYUY2:
        return CM_FMT_YUY2;
    case kSubtypeMJPG:
        return CM_FMT_MJPG;
    case kSubtypeH264:
        return CM_FMT_H264;
    default:
        return CM_FMT_UNKNOWN;
    }
}

int SubtypeIndexOfFormat(int format)
{
    switch (format) {
    case CM_FMT_RGB24:
        return kSubtypeRGB24;
    case CM_FMT_MJPG:
        return kSubtypeMJPG;
    case CM_FMT_H264:
        return kSubtypeH264;
    default:
        return kSubtypeYUY2;
    }
}

const char* SubtypeName(int index)
{
    if (index < 0 || index >= kSubtypeCount)
        return "OTHER";
    return kRows[index].name;
}
