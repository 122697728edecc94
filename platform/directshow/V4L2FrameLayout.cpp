// Repacking of V4L2 buffers into the layout the capture layer delivers.

#include "platform/directshow/V4L2FrameLayout.h"

#include <algorithm>
#include <cstring>

#include "platform/directshow/MediaType.h"

namespace kelvara::dshow {

namespace {

bool IsPackedYuv(const GUID& s)
{
    return s == MEDIASUBTYPE_YUY2 || s == MEDIASUBTYPE_UYVY || s == MEDIASUBTYPE_YVYU;
}

bool IsPlanar(const GUID& s)
{
    return s == MEDIASUBTYPE_NV12 || s == MEDIASUBTYPE_IYUV || s == MEDIASUBTYPE_YV12
        || s == MEDIASUBTYPE_GREY;
}

}  // namespace

bool V4L2FrameLayout::Arrange(const VideoFormat& format, uint32_t bytesPerLine, const uint8_t* data,
    size_t length, const uint8_t** out, size_t* outLength)
{
    const size_t height = static_cast<size_t>(format.height);
    if (format.subtype == MEDIASUBTYPE_RGB24) {
        // BGR24 top-down rows into a bottom-up DIB with 4-byte row padding.
        const size_t rowBytes = static_cast<size_t>(format.width) * 3;
        const size_t srcStride = std::max<size_t>(bytesPerLine, rowBytes);
        const size_t dibStride = (rowBytes + 3) & ~size_t(3);
        const size_t rows = std::min(height, length / srcStride);
        if (rows == 0)
            return false;  // not one whole row: nothing to hand on
        m_scratch.assign(dibStride * height, 0);
        for (size_t y = 0; y < rows; ++y)
            std::memcpy(&m_scratch[(height - 1 - y) * dibStride], data + y * srcStride, rowBytes);
        // A short frame stays short: only the rows that arrived count.
        *out = m_scratch.data() + (height - rows) * dibStride;
        *outLength = rows * dibStride;
        return true;
    }
    const size_t tightStride = static_cast<size_t>((format.width + 1) / 2) * 4;
    if (IsPackedYuv(format.subtype) && bytesPerLine > tightStride) {
        const size_t rows = std::min(height, length / bytesPerLine);
        if (rows == 0)
            return false;
        m_scratch.resize(tightStride * rows);
        for (size_t y = 0; y < rows; ++y)
            std::memcpy(&m_scratch[y * tightStride], data + y * bytesPerLine, tightStride);
        *out = m_scratch.data();
        *outLength = m_scratch.size();
        return true;
    }
    const size_t width = static_cast<size_t>(format.width);
    if (IsPlanar(format.subtype) && bytesPerLine > width) {
        // Planes with padded rows become tightly packed planes: the luminance
        // plane, then the chroma plane(s) at half height (NV12: one plane of
        // pairs, rows as long as the luminance rows; I420/YV12: two planes
        // with rows of half the stride).
        const bool grey = format.subtype == MEDIASUBTYPE_GREY;
        const size_t chromaRows = grey ? 0 : (height + 1) / 2;
        const size_t chromaWidth = (width + 1) / 2;
        const bool nv12 = format.subtype == MEDIASUBTYPE_NV12;
        const size_t planes = nv12 ? 1 : 2;
        const size_t chromaStride = nv12 ? bytesPerLine : bytesPerLine / 2;
        const size_t chromaBytes = nv12 ? chromaWidth * 2 : chromaWidth;
        const size_t needed = bytesPerLine * height + planes * chromaStride * chromaRows;
        if (length < needed)
            return false;  // a short planar frame cannot be placed
        m_scratch.resize(width * height + planes * chromaBytes * chromaRows);
        uint8_t* to = m_scratch.data();
        for (size_t y = 0; y < height; ++y, to += width)
            std::memcpy(to, data + y * bytesPerLine, width);
        const uint8_t* from = data + bytesPerLine * height;
        for (size_t row = 0; row < planes * chromaRows; ++row, to += chromaBytes, from += chromaStride)
            std::memcpy(to, from, chromaBytes);
        *out = m_scratch.data();
        *outLength = m_scratch.size();
        return true;
    }
    *out = data;
    *outLength = length;
    return true;
}

}  // namespace kelvara::dshow
