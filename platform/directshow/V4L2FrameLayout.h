#pragma once
// Turns a V4L2 buffer into the layout a sample grabber would see: BGR24
// top-down rows into a bottom-up DIB with 4-byte row padding, and packed
// 4:2:2 rows or planes with padded rows (bytesperline beyond the pixels)
// into tightly packed ones. Other frames pass through as they are.
//
// Threads: one object per streaming thread; not shared.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "platform/directshow/CaptureDevice.h"

namespace kelvara::dshow {

class V4L2FrameLayout
{
public:
    // The frame of format (bytesPerLine as the driver set it) in its
    // delivered layout: *out points into data or into this object's buffer
    // (valid until the next call) and *outLength is its length. False when
    // nothing can be handed on (not one whole row; a short planar frame).
    bool Arrange(const VideoFormat& format, uint32_t bytesPerLine, const uint8_t* data, size_t length,
        const uint8_t** out, size_t* outLength);

private:
    std::vector<uint8_t> m_scratch;  // repacked frames
};

}  // namespace kelvara::dshow
