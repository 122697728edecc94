#include "app/capture/FrameConversion.h"

#include "app/capture/JpegErrors.h"

#include <libyuv/convert_argb.h>
#include <libyuv/convert_from_argb.h>
#include <libyuv/planar_functions.h>
#include <turbojpeg.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <memory>
#include <new>
#include <utility>

namespace kelvara::capture {

namespace {

// Bytes the rows of an uncompressed frame span with the given stride.
int64_t SpannedBytes(int64_t stride, int64_t rowBytes, int height)
{
    return stride * (height - 1) + rowBytes;
}

bool IsPacked422(int format)
{
    return format == CM_FMT_YUY2 || format == CM_FMT_UYVY || format == CM_FMT_YVYU;
}

bool IsPlanar(int format)
{
    return format == CM_FMT_NV12 || format == CM_FMT_I420 || format == CM_FMT_YV12 || format == CM_FMT_GREY;
}

int64_t RowBytes(const tagCMImage& image)
{
    if (IsPacked422(image.format))
        return (static_cast<int64_t>(image.width) + 1) / 2 * 4;
    return static_cast<int64_t>(image.width) * 3;
}

// Bytes of a tightly packed planar frame: the luminance plane, then two
// chroma planes of half width and height (rounded up), or one plane of
// interleaved pairs for NV12.
int64_t PlanarBytes(const tagCMImage& image)
{
    const int64_t luma = static_cast<int64_t>(image.width) * image.height;
    if (image.format == CM_FMT_GREY)
        return luma;
    const int64_t chroma = ((static_cast<int64_t>(image.width) + 1) / 2) * ((image.height + 1) / 2);
    return luma + 2 * chroma;
}

// The planar and the other packed formats into 4-byte pixels (order as
// asked), height negative for a turned picture. scratch (width * height * 4
// bytes) may be used.
void ConvertOther(const tagCMImage& image, PixelOrder order, int signedHeight, uint8_t* dst, uint8_t* scratch)
{
    const int width = image.width;
    const int height = image.height;
    const int dstStride = width * 4;
    const bool rgba = order == PixelOrder::RGBA;
    const uint8_t* y = image.data;
    const int chromaWidth = (width + 1) / 2;
    const uint8_t* u = y + static_cast<int64_t>(width) * height;
    const uint8_t* v = u + static_cast<int64_t>(chromaWidth) * ((height + 1) / 2);
    bool swapToRgba = false;
    switch (image.format) {
    case CM_FMT_NV12:
        if (rgba)
            libyuv::NV12ToABGR(y, width, u, chromaWidth * 2, dst, dstStride, width, signedHeight);
        else
            libyuv::NV12ToARGB(y, width, u, chromaWidth * 2, dst, dstStride, width, signedHeight);
        break;
    case CM_FMT_YV12:
        std::swap(u, v);
        [[fallthrough]];
    case CM_FMT_I420:
        if (rgba)
            libyuv::I420ToABGR(y, width, u, chromaWidth, v, chromaWidth, dst, dstStride, width, signedHeight);
        else
            libyuv::I420ToARGB(y, width, u, chromaWidth, v, chromaWidth, dst, dstStride, width, signedHeight);
        break;
    case CM_FMT_GREY:
        // Grey has equal red, green and blue: both orders are the same.
        libyuv::J400ToARGB(y, width, dst, dstStride, width, signedHeight);
        break;
    case CM_FMT_UYVY:
        libyuv::UYVYToARGB(y, chromaWidth * 4, dst, dstStride, width, signedHeight);
        swapToRgba = rgba;
        break;
    case CM_FMT_YVYU: {
        // Y0 V Y1 U becomes Y0 U Y1 V (YUY2): bytes 1 and 3 of every pair swap.
        static const uint8_t kYvyuToYuy2[16] = {0, 3, 2, 1, 4, 7, 6, 5, 8, 11, 10, 9, 12, 15, 14, 13};
        libyuv::ARGBShuffle(y, chromaWidth * 4, scratch, chromaWidth * 4, kYvyuToYuy2, chromaWidth, height);
        libyuv::YUY2ToARGB(scratch, chromaWidth * 4, dst, dstStride, width, signedHeight);
        swapToRgba = rgba;
        break;
    }
    default:
        break;
    }
    if (swapToRgba)
        libyuv::ARGBToABGR(dst, dstStride, dst, dstStride, width, height);
}

// Decodes the whole stream into w x h 4-byte pixels (rows top first, or
// bottom first when bottomUp) with the settings of kJpegDecodeFlags: fast
// upsampling, fast integer DCT. Warnings (stray bytes before a marker, a
// damaged entropy segment) leave a complete picture and are accepted; an
// error or a stream cut short is not.
bool DecodeJpegStream(const uint8_t* data, int dataSize, int w, int h, bool rgba, bool bottomUp, uint8_t* dst)
{
    jpeg_decompress_struct info;
    JpegErrors errors;
    errors.Attach(&info);
    if (setjmp(errors.exit)) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    jpeg_create_decompress(&info);
    jpeg_mem_src(&info, data, static_cast<unsigned long>(dataSize));
    jpeg_read_header(&info, TRUE);
    info.out_color_space = rgba ? JCS_EXT_RGBA : JCS_EXT_BGRA;
    info.do_fancy_upsampling = FALSE;
    info.dct_method = JDCT_IFAST;
    jpeg_start_decompress(&info);
    if (static_cast<int>(info.output_width) != w || static_cast<int>(info.output_height) != h) {
        jpeg_destroy_decompress(&info);
        return false;
    }
    const size_t stride = static_cast<size_t>(w) * 4;
    while (info.output_scanline < info.output_height) {
        const size_t row = bottomUp ? info.output_height - 1 - info.output_scanline : info.output_scanline;
        JSAMPROW target = dst + row * stride;
        jpeg_read_scanlines(&info, &target, 1);
    }
    jpeg_finish_decompress(&info);
    jpeg_destroy_decompress(&info);
    return !errors.truncated;
}

}  // namespace

size_t PixelBufferBytes(int width, int height)
{
    if (width <= 0 || height <= 0)
        return 0;
    const int64_t bytes = static_cast<int64_t>(width) * height * 4;
    if (bytes > INT_MAX)
        return 0;
    return static_cast<size_t>(bytes);
}

int SourceStride(const tagCMImage& image)
{
    if (IsPlanar(image.format))
        return image.width;
    const int64_t row = RowBytes(image);
    if (IsPacked422(image.format))
        return static_cast<int>(row);
    const int64_t padded = (row + 3) & ~int64_t(3);
    if (padded != row && image.dataSize > 0 && image.dataSize >= padded * image.height)
        return static_cast<int>(padded);
    return static_cast<int>(row);
}

bool IsConvertible(const tagCMImage& image)
{
    if (!image.data || PixelBufferBytes(image.width, image.height) == 0)
        return false;
    switch (image.format) {
    case CM_FMT_RAW24:
    case CM_FMT_RGB24:
    case CM_FMT_YUY2:
    case CM_FMT_UYVY:
    case CM_FMT_YVYU:
        // dataSize 0: the backend does not know the length (trusted).
        return image.dataSize == 0
            || image.dataSize >= SpannedBytes(SourceStride(image), RowBytes(image), image.height);
    case CM_FMT_NV12:
    case CM_FMT_I420:
    case CM_FMT_YV12:
    case CM_FMT_GREY:
        return image.dataSize == 0 || image.dataSize >= PlanarBytes(image);
    case CM_FMT_MJPG:
        return image.dataSize > 0;
    default:
        return false;
    }
}

bool ConvertUncompressed(
    const tagCMImage& image, PixelOrder order, Orientation orientation, uint8_t* dst, uint8_t* scratch)
{
    if (image.format == CM_FMT_MJPG || !IsConvertible(image))
        return false;
    const int width = image.width;
    const int height = image.height;
    const int dstStride = width * 4;
    const int stride = SourceStride(image);
    // A negative height makes libyuv read the last source row first.
    const bool turn = (image.bottomUp == 1) != orientation.flip;
    const int signedHeight = turn ? -height : height;

    if (image.format != CM_FMT_YUY2 && image.format != CM_FMT_RGB24 && image.format != CM_FMT_RAW24) {
        std::unique_ptr<uint8_t[]> own;
        if (!scratch && image.format == CM_FMT_YVYU) {
            own.reset(new (std::nothrow) uint8_t[PixelBufferBytes(width, height)]);
            if (!own)
                return false;
            scratch = own.get();
        }
        ConvertOther(image, order, signedHeight, dst, scratch);
    } else if (image.format == CM_FMT_YUY2) {
        if (order == PixelOrder::BGRA) {
            libyuv::YUY2ToARGB(image.data, stride, dst, dstStride, width, signedHeight);
        } else {
            // B,G,R,A first, then swapped into R,G,B,A. Whole frames: measured
            // faster here than cache-sized blocks (fewer calls, streaming stores).
            std::unique_ptr<uint8_t[]> own;
            if (!scratch) {
                own.reset(new (std::nothrow) uint8_t[PixelBufferBytes(width, height)]);
                if (!own)
                    return false;
                scratch = own.get();
            }
            libyuv::YUY2ToARGB(image.data, stride, scratch, dstStride, width, signedHeight);
            libyuv::ARGBToABGR(scratch, dstStride, dst, dstStride, width, height);
        }
    } else {
        // libyuv's RGB24 is B,G,R in memory and its RAW is R,G,B; reading
        // one as the other swaps red and blue, which gives R,G,B,A in one pass.
        const bool bgrSource = image.format == CM_FMT_RGB24;
        const bool keepOrder = bgrSource == (order == PixelOrder::BGRA);
        if (keepOrder)
            libyuv::RGB24ToARGB(image.data, stride, dst, dstStride, width, signedHeight);
        else
            libyuv::RAWToARGB(image.data, stride, dst, dstStride, width, signedHeight);
    }
    if (orientation.mirror)
        MirrorRows(dst, width, height);
    return true;
}

bool ReadJpegSize(void* tjHandle, const uint8_t* data, int dataSize, int* width, int* height)
{
    if (!tjHandle || !data || dataSize <= 0)
        return false;
    int subsampling = 0;
    int colorspace = 0;
    return tjDecompressHeader3(static_cast<tjhandle>(tjHandle), data, static_cast<unsigned long>(dataSize),
               width, height, &subsampling, &colorspace)
        == 0;
}

bool DecodeJpeg(void* tjHandle, const uint8_t* data, int dataSize, int expectWidth, int expectHeight,
    PixelOrder order, Orientation orientation, uint8_t* dst, size_t dstBytes, int* width, int* height)
{
    int w = 0;
    int h = 0;
    if (!ReadJpegSize(tjHandle, data, dataSize, &w, &h))
        return false;
    if (expectWidth > 0 && expectHeight > 0 && (w != expectWidth || h != expectHeight))
        return false;
    const size_t bytes = PixelBufferBytes(w, h);
    if (bytes == 0 || bytes > dstBytes)
        return false;
    if (!DecodeJpegStream(data, dataSize, w, h, order == PixelOrder::RGBA, orientation.flip, dst))
        return false;
    if (orientation.mirror)
        MirrorRows(dst, w, h);
    if (width)
        *width = w;
    if (height)
        *height = h;
    return true;
}

void MirrorRows(uint8_t* pixels, int width, int height)
{
    const size_t stride = static_cast<size_t>(width) * 4;
    for (int y = 0; y < height; ++y) {
        uint8_t* left = pixels + stride * y;
        uint8_t* right = left + stride - 4;
        while (left < right) {
            uint32_t a;
            uint32_t b;
            std::memcpy(&a, left, 4);
            std::memcpy(&b, right, 4);
            std::memcpy(left, &b, 4);
            std::memcpy(right, &a, 4);
            left += 4;
            right -= 4;
        }
    }
}

}  // namespace kelvara::capture
