#include "camera_module/SoftAdjust.h"

#include <algorithm>
#include <cstring>
#include <vector>

void SoftAdjust::Apply(tagCMImage* image) const
{
    if (!image || !image->data)
        return;
    if (image->format != CM_FMT_RGB32 && image->format != CM_FMT_ARGB32)
        return;
    if (image->width <= 0 || image->height <= 0)
        return;
    const size_t width = static_cast<size_t>(image->width);
    const size_t height = static_cast<size_t>(image->height);
    const size_t stride = width * 4;
    // dataSize 0 means the backend does not know it; a known size that is too
    // small must not be read past its end.
    if (image->dataSize < 0
        || (image->dataSize > 0 && static_cast<size_t>(image->dataSize) < stride * height))
        return;

    uint8_t* pixels = image->data;
    std::vector<uint8_t> row(stride);
    if (flipVertical) {
        for (size_t i = 0; i < height / 2; ++i) {
            uint8_t* top = pixels + i * stride;
            uint8_t* bottom = pixels + (height - 1 - i) * stride;
            std::memcpy(row.data(), top, stride);
            std::memcpy(top, bottom, stride);
            std::memcpy(bottom, row.data(), stride);
        }
    }
    if (mirror) {
        for (size_t y = 0; y < height; ++y) {
            uint8_t* line = pixels + y * stride;
            std::memcpy(row.data(), line, stride);
            for (size_t x = 0; x < width; ++x)
                std::memcpy(line + x * 4, row.data() + (width - 1 - x) * 4, 4);
        }
    }
    if (redOffset || greenOffset || blueOffset) {
        const uint8_t offsets[3] = {blueOffset, greenOffset, redOffset};
        uint8_t* end = pixels + stride * height;
        for (uint8_t* px = pixels; px < end; px += 4) {
            for (int c = 0; c < 3; ++c) {
                if (offsets[c])
                    px[c] = static_cast<uint8_t>(std::min(255, px[c] + offsets[c]));
            }
        }
    }
}
