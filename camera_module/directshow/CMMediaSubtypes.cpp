#include "camera_module/directshow/CMMediaSubtypes.h"

#include "camera_module/CMTypes.h"
#include "platform/directshow/MediaType.h"

namespace {

// The device-setup table, in the order subtypes are tried.
const GUID* const kRows[kSubtypeCount] = {
    &MEDIASUBTYPE_RGB24,
    &MEDIASUBTYPE_RGB32,
    &MEDIASUBTYPE_RGB555,
    &MEDIASUBTYPE_RGB565,
    &MEDIASUBTYPE_YUY2,
    &MEDIASUBTYPE_YVYU,
    &MEDIASUBTYPE_YUYV,
    &MEDIASUBTYPE_IYUV,
    &MEDIASUBTYPE_UYVY,
    &MEDIASUBTYPE_YV12,
    &MEDIASUBTYPE_YVU9,
    &MEDIASUBTYPE_Y411,
    &MEDIASUBTYPE_Y41P,
    &MEDIASUBTYPE_Y211,
    &MEDIASUBTYPE_AYUV,
    &MEDIASUBTYPE_Y800,
    &MEDIASUBTYPE_Y8,
    &MEDIASUBTYPE_GREY,
    &MEDIASUBTYPE_MJPG,
    &MEDIASUBTYPE_H264,
    &MEDIASUBTYPE_NV12,
};

}  // namespace

const GUID& SubtypeAt(int index)
{
    if (index < 0 || index >= kSubtypeCount)
        return GUID_NULL;
    return *kRows[index];
}

int SubtypeIndex(const GUID& subtype)
{
    for (int i = 0; i < kSubtypeCount; ++i) {
        if (*kRows[i] == subtype)
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
        break;
    }
    const GUID& subtype = SubtypeAt(index);
    if (subtype == MEDIASUBTYPE_NV12)
        return CM_FMT_NV12;
    if (subtype == MEDIASUBTYPE_IYUV)
        return CM_FMT_I420;
    if (subtype == MEDIASUBTYPE_YV12)
        return CM_FMT_YV12;
    if (subtype == MEDIASUBTYPE_Y800 || subtype == MEDIASUBTYPE_Y8 || subtype == MEDIASUBTYPE_GREY)
        return CM_FMT_GREY;
    if (subtype == MEDIASUBTYPE_UYVY)
        return CM_FMT_UYVY;
    if (subtype == MEDIASUBTYPE_YVYU)
        return CM_FMT_YVYU;
    return CM_FMT_UNKNOWN;
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
    case CM_FMT_NV12:
        return SubtypeIndex(MEDIASUBTYPE_NV12);
    case CM_FMT_I420:
        return SubtypeIndex(MEDIASUBTYPE_IYUV);
    case CM_FMT_YV12:
        return SubtypeIndex(MEDIASUBTYPE_YV12);
    case CM_FMT_GREY:
        return SubtypeIndex(MEDIASUBTYPE_GREY);
    case CM_FMT_UYVY:
        return SubtypeIndex(MEDIASUBTYPE_UYVY);
    case CM_FMT_YVYU:
        return SubtypeIndex(MEDIASUBTYPE_YVYU);
    default:
        return kSubtypeYUY2;
    }
}

const char* SubtypeName(int index)
{
    // The capture layer names every subtype it knows; GUID_NULL reads "OTHER".
    return kelvara::dshow::SubtypeName(SubtypeAt(index));
}
