#pragma once
// Software pixel adjustments a camera keeps for its 32-bit images: vertical
// flip, horizontal mirror and per-channel offsets that saturate at 255.
//
// Threads: the owning camera changes the values on the UI thread; Apply runs
// on whichever thread owns the image.

#include "camera_module/CMTypes.h"

#include <cstdint>

struct SoftAdjust
{
    uint8_t flipVertical = 0;
    uint8_t mirror = 0;
    uint8_t redOffset = 0;
    uint8_t greenOffset = 0;
    uint8_t blueOffset = 0;

    // Applies flip, mirror and offsets to an image of format 2 or 3 (rows of
    // width * 4 bytes, top row first); any other image is left alone, and so
    // is one whose known dataSize is too small for its width and height.
    void Apply(tagCMImage* image) const;
};
