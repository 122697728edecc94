#pragma once
// An MJPG frame decoded into the stream's own Y, Cb and Cr planes, without
// libjpeg's colour conversion. The display picture (R,G,B,A) and, while
// recording, the recorder's I420 picture are both made from these planes,
// so a recording adds no pass over the display picture. Handles the
// samplings MJPG cameras send, 4:2:2 and 4:2:0 YCbCr; other streams are
// reported as such and left to DecodeJpeg. The planes keep the JPEG's full
// range (0-255) levels.
//
// Threads: an object is used by one thread at a time (the camera controller
// keeps it under its lock).

#include "app/capture/FrameConversion.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace kelvara::capture {

class JpegPlanes
{
public:
    enum class Result
    {
        kDecoded,  // the planes hold the picture
        kOtherLayout,  // not 4:2:2 or 4:2:0 YCbCr: nothing decoded
        kFailed,  // corrupt, cut short, or not of the expected size
    };

    // Decodes the stream (dataSize bytes), which must be expectWidth x
    // expectHeight, with fast integer DCT. A stream the decoder only warns
    // about is accepted unless it was cut short, as DecodeJpeg does. After
    // kFailed the planes hold no picture.
    Result Decode(const uint8_t* data, int dataSize, int expectWidth, int expectHeight);
    // True after a successful Decode, until the next Decode fails.
    bool HasPicture() const { return m_valid; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Writes the picture as Width() x Height() R,G,B,A pixels (stride
    // Width() * 4), oriented; the colours are those of DecodeJpeg.
    void ToRgba(Orientation orientation, uint8_t* dst) const;
    // Writes the picture as I420 with full-range levels, oriented: the Y
    // plane (stride Width()), then U and V (stride Width() / 2). The size
    // must be even (as a recording's is).
    void ToI420(Orientation orientation, uint8_t* y, uint8_t* u, uint8_t* v);

private:
    // Sizes the planes for passes iMCU rows of rowsPerComponent rows of
    // widthInSamples each; false without memory.
    bool Allocate(int passes, const int widthInSamples[3], const int rowsPerComponent[3]);

    std::vector<uint8_t> m_planes[3];  // Y, Cb, Cr
    int m_strides[3] = {};
    int m_width = 0;
    int m_height = 0;
    int m_chromaHeight = 0;  // Height() for 4:2:2, half of it (rounded up) for 4:2:0
    bool m_valid = false;
    std::vector<uint8_t> m_chroma;  // scratch for a mirrored recording
};

}  // namespace kelvara::capture
