#include "camera_module/directshow/CMFormatList.h"

#include "camera_module/directshow/CMMediaSubtypes.h"
#include "camera_module/directshow/CMMediaType.h"

#include <cstdlib>

void AddFormatSize(CMFormatList& list, int subtypeIndex, long width, long height)
{
    CMFormatEntry* entry = nullptr;
    for (CMFormatEntry& candidate : list) {
        if (candidate.subtypeIndex == subtypeIndex) {
            entry = &candidate;
            break;
        }
    }
    if (!entry) {
        list.push_back(CMFormatEntry{subtypeIndex, {}});
        entry = &list.back();
    }
    std::vector<tagSIZE>& sizes = entry->sizes;
    auto insertAt = sizes.end();
    for (auto it = sizes.begin(); it != sizes.end(); ++it) {
        if (it->cx == width && it->cy == height)
            return;
        if (it->cx > width && insertAt == sizes.end())
            insertAt = it;
    }
    tagSIZE size;
    size.cx = width;
    size.cy = height;
    sizes.insert(insertAt, size);
}

void BuildFormatList(IAMStreamConfig* config, CMFormatList& list)
{
    if (!config)
        return;
    int count = 0;
    int capsBytes = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &capsBytes)))
        return;
    if (capsBytes != sizeof(VIDEO_STREAM_CONFIG_CAPS))
        return;
    for (int i = 0; i < count; ++i) {
        VIDEO_STREAM_CONFIG_CAPS caps;
        AM_MEDIA_TYPE* type = nullptr;
        if (FAILED(config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps))) || !type)
            continue;
        if (type->formattype == FORMAT_VideoInfo && type->pbFormat
            && type->cbFormat >= sizeof(VIDEOINFOHEADER)) {
            const VIDEOINFOHEADER* header = reinterpret_cast<const VIDEOINFOHEADER*>(type->pbFormat);
            AddFormatSize(
                list, SubtypeIndex(type->subtype), header->bmiHeader.biWidth, header->bmiHeader.biHeight);
        }
        DeleteMediaTypeRecord(type);
    }
}

const CMFormatEntry* FindFormatEntry(const CMFormatList& list, int subtypeIndex)
{
    for (const CMFormatEntry& entry : list) {
        if (entry.subtypeIndex == subtypeIndex)
            return &entry;
    }
    return nullptr;
}

namespace {

// The value of [min, max] walked in steps that equals target, else the one
// closest to it (the earlier on ties).
long WalkRange(long min, long max, long step, long target, bool* exact)
{
    *exact = false;
    long best = min;
    long bestDistance = -1;
    for (long v = min; v <= max; v += step) {
        if (v == target) {
            *exact = true;
            return v;
        }
        long distance = std::labs(v - target);
        if (bestDistance < 0 || distance < bestDistance) {
            best = v;
            bestDistance = distance;
        }
    }
    return best;
}

}  // namespace

CMClosestSize FindClosestSize(IAMStreamConfig* config, int width, int height)
{
    CMClosestSize best;
    if (!config)
        return best;
    int count = 0;
    int capsBytes = 0;
    if (FAILED(config->GetNumberOfCapabilities(&count, &capsBytes))
        || capsBytes != sizeof(VIDEO_STREAM_CONFIG_CAPS))
        return best;

    long bestDistance = 9999999L + 9999999L;
    for (int i = 0; i < count; ++i) {
        VIDEO_STREAM_CONFIG_CAPS caps;
        AM_MEDIA_TYPE* type = nullptr;
        if (FAILED(config->GetStreamCaps(i, &type, reinterpret_cast<BYTE*>(&caps))) || !type)
            continue;
        const GUID subtype = type->subtype;
        DeleteMediaTypeRecord(type);
        if (subtype == MEDIASUBTYPE_H264)
            continue;
        if (caps.OutputGranularityX < 1 || caps.OutputGranularityY < 1)
            continue;

        bool exactW = false;
        bool exactH = false;
        long w = WalkRange(
            caps.MinOutputSize.cx, caps.MaxOutputSize.cx, caps.OutputGranularityX, width, &exactW);
        long h = WalkRange(
            caps.MinOutputSize.cy, caps.MaxOutputSize.cy, caps.OutputGranularityY, height, &exactH);
        if (exactW && exactH) {
            best.found = true;
            best.width = width;
            best.height = height;
            best.subtype = subtype;
            return best;
        }
        long distance = std::labs(width - w) + std::labs(height - h);
        if (distance < bestDistance) {
            bestDistance = distance;
            best.found = true;
            best.width = static_cast<int>(w);
            best.height = static_cast<int>(h);
            best.subtype = subtype;
        }
    }
    return best;
}
