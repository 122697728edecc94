#pragma once
// Turning one camera frame or still into 32-bit pixels: the size checks that
// come first, the conversions of the uncompressed formats (libyuv), the MJPG
// decode (TurboJPEG) and the software mirror and flip.
//
// Threads: pure functions of their arguments; the TurboJPEG handle passed in
// must not be used by two threads at once (the caller's lock sees to that).

#include "camera_module/CMTypes.h"

#include <cstddef>
#include <cstdint>

namespace kelvara::capture {

// TurboJPEG flags of every MJPG decode: fast upsampling, no reallocation,
// fast DCT and accurate DCT.
constexpr int kJpegDecodeFlags = 0x1D00;

// Byte order of the 32-bit result.
enum class PixelOrder
{
    RGBA,  // R, G, B, A: the preview's order
    BGRA,  // B, G, R, A: OpenCV's order for stills
};

// Software mirror and flip, applied on top of the frame's own orientation.
struct Orientation
{
    bool mirror = false;  // left and right swapped
    bool flip = false;  // top and bottom swapped
};

// Byte size of width x height 32-bit pixels; 0 when either side is not
// positive or the size does not fit an int (such frames are refused).
size_t PixelBufferBytes(int width, int height);

// True when the frame can be converted: a known format (RAW24, RGB24, YUY2,
// UYVY, YVYU, NV12, I420, YV12, GREY, MJPG), a positive size, data present
// and, for the uncompressed formats, a dataSize that (when known, non-zero)
// covers every row (planar formats: tightly packed planes). For MJPG only the
// presence of the stream is checked here; DecodeJpeg checks the rest.
bool IsConvertible(const tagCMImage& image);

// Row stride in bytes of an uncompressed frame: the packed 4:2:2 formats in
// pairs of pixels; RGB24/RAW24 rows padded to 4 bytes (the DIB layout) when
// dataSize shows the padding, else tightly packed; the luminance plane of the
// planar formats tightly packed.
int SourceStride(const tagCMImage& image);

// Converts an uncompressed frame (any format above but MJPG) into dst, width x
// height pixels of 4 bytes with stride width * 4, upright (bottom-up frames
// are turned) and then oriented. scratch is a buffer of the same size that
// the conversion may use (null: one is made when needed). False for any other format or a frame that fails
// IsConvertible; dst is then untouched.
bool ConvertUncompressed(
    const tagCMImage& image, PixelOrder order, Orientation orientation, uint8_t* dst, uint8_t* scratch);

// Decodes the JPEG stream of image (dataSize bytes) into dst with the flags
// above. expectWidth/expectHeight > 0 demand that the stream has exactly that
// size; otherwise the stream's own size is used and written to *width and
// *height. A stream the decoder only warns about (stray bytes before a
// marker) is accepted as long as it ends with an end marker. False for a
// missing handle, a stream of another size, a corrupt stream or one cut
// short: dst may then hold a part of a picture, so callers decode into a
// buffer that is not shown.
bool DecodeJpeg(void* tjHandle, const uint8_t* data, int dataSize, int expectWidth, int expectHeight,
    PixelOrder order, Orientation orientation, uint8_t* dst, size_t dstBytes, int* width, int* height);

// The size a JPEG stream declares, without decoding it. False when the header
// cannot be read.
bool ReadJpegSize(void* tjHandle, const uint8_t* data, int dataSize, int* width, int* height);

// Reverses the pixels of every row in place (4 bytes per pixel).
void MirrorRows(uint8_t* pixels, int width, int height);

}  // namespace kelvara::capture
