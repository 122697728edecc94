#include "tests/support/capture/CaptureTestFrames.h"

#include "platform/directshow/MicroscopeScene.h"

#include <libyuv/convert_argb.h>
#include <libyuv/convert_from_argb.h>
#include <turbojpeg.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>

namespace kelvara::test {

const Rgb kQuadrantColors[4] = {{230, 20, 20}, {20, 200, 40}, {30, 40, 220}, {250, 250, 250}};

std::vector<uint8_t> QuadrantPicture(int width, int height)
{
    std::vector<uint8_t> pixels(static_cast<size_t>(width) * height * 4);
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            const Rgb& c = kQuadrantColors[(y < height / 2 ? 0 : 2) + (x < width / 2 ? 0 : 1)];
            uint8_t* p = &pixels[(static_cast<size_t>(y) * width + x) * 4];
            p[0] = static_cast<uint8_t>(c.r);
            p[1] = static_cast<uint8_t>(c.g);
            p[2] = static_cast<uint8_t>(c.b);
            p[3] = 255;
        }
    }
    return pixels;
}

TestFrame& TestFrame::operator=(const TestFrame& other)
{
    bytes = other.bytes;
    image = other.image;
    image.data = bytes.empty() ? nullptr : bytes.data();
    return *this;
}

TestFrame MakeJpegFrame(const std::vector<uint8_t>& rgba, int width, int height, JpegSampling sampling)
{
    static const int kSamplings[] = {TJSAMP_444, TJSAMP_422, TJSAMP_420, TJSAMP_GRAY};
    TestFrame frame;
    frame.image.format = CM_FMT_MJPG;
    frame.image.width = width;
    frame.image.height = height;
    tjhandle encoder = tjInitCompress();
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(encoder, rgba.data(), width, width * 4, height, TJPF_RGBA, &jpeg, &size,
            kSamplings[static_cast<int>(sampling)], 90, 0)
        == 0)
        frame.bytes.assign(jpeg, jpeg + size);
    tjFree(jpeg);
    tjDestroy(encoder);
    frame.image.data = frame.bytes.data();
    frame.image.dataSize = static_cast<int>(frame.bytes.size());
    return frame;
}

TestFrame MakeFrame(const std::vector<uint8_t>& rgba, int width, int height, int format, bool bottomUp)
{
    TestFrame frame;
    frame.image.format = format;
    frame.image.width = width;
    frame.image.height = height;
    frame.image.bottomUp = bottomUp ? 1 : 0;
    const int stride = width * 4;
    switch (format) {
    case CM_FMT_RGB24: {
        const int dibStride = (width * 3 + 3) & ~3;
        frame.bytes.assign(static_cast<size_t>(dibStride) * height, 0);
        // libyuv's RAW is R,G,B in memory: from R,G,B,A read as "ARGB" it
        // writes B,G,R.
        libyuv::ARGBToRAW(
            rgba.data(), stride, frame.bytes.data(), dibStride, width, bottomUp ? -height : height);
        break;
    }
    case CM_FMT_RAW24:
        frame.bytes.resize(static_cast<size_t>(width) * 3 * height);
        libyuv::ARGBToRGB24(rgba.data(), stride, frame.bytes.data(), width * 3, width, height);
        break;
    case CM_FMT_YUY2: {
        std::vector<uint8_t> bgra(rgba.size());
        libyuv::ABGRToARGB(rgba.data(), stride, bgra.data(), stride, width, height);
        const int yuyStride = (width + 1) / 2 * 4;
        frame.bytes.resize(static_cast<size_t>(yuyStride) * height);
        libyuv::ARGBToYUY2(bgra.data(), stride, frame.bytes.data(), yuyStride, width, height);
        break;
    }
    case CM_FMT_MJPG: {
        tjhandle encoder = tjInitCompress();
        unsigned char* jpeg = nullptr;
        unsigned long size = 0;
        if (tjCompress2(
                encoder, rgba.data(), width, stride, height, TJPF_RGBA, &jpeg, &size, TJSAMP_444, 95, 0)
            == 0)
            frame.bytes.assign(jpeg, jpeg + size);
        tjFree(jpeg);
        tjDestroy(encoder);
        break;
    }
    case CM_FMT_NV12:
    case CM_FMT_I420:
    case CM_FMT_YV12:
    case CM_FMT_GREY:
    case CM_FMT_UYVY:
    case CM_FMT_YVYU: {
        // Planes tightly packed, as USB cameras send them.
        std::vector<uint8_t> bgra(rgba.size());
        libyuv::ABGRToARGB(rgba.data(), stride, bgra.data(), stride, width, height);
        const int cw = (width + 1) / 2;
        const int ch = (height + 1) / 2;
        const size_t luma = static_cast<size_t>(width) * height;
        const size_t chroma = static_cast<size_t>(cw) * ch;
        if (format == CM_FMT_GREY) {
            frame.bytes.resize(luma);
            libyuv::ARGBToJ400(bgra.data(), stride, frame.bytes.data(), width, width, height);
        } else if (format == CM_FMT_UYVY || format == CM_FMT_YVYU) {
            frame.bytes.resize(static_cast<size_t>(cw) * 4 * height);
            if (format == CM_FMT_UYVY) {
                libyuv::ARGBToUYVY(bgra.data(), stride, frame.bytes.data(), cw * 4, width, height);
            } else {
                libyuv::ARGBToYUY2(bgra.data(), stride, frame.bytes.data(), cw * 4, width, height);
                for (size_t i = 0; i + 3 < frame.bytes.size(); i += 4)
                    std::swap(frame.bytes[i + 1], frame.bytes[i + 3]);
            }
        } else {
            frame.bytes.resize(luma + 2 * chroma);
            uint8_t* y = frame.bytes.data();
            uint8_t* u = y + luma;
            uint8_t* v = u + chroma;
            if (format == CM_FMT_NV12)
                libyuv::ARGBToNV12(bgra.data(), stride, y, width, u, cw * 2, width, height);
            else if (format == CM_FMT_I420)
                libyuv::ARGBToI420(bgra.data(), stride, y, width, u, cw, v, cw, width, height);
            else
                libyuv::ARGBToI420(bgra.data(), stride, y, width, v, cw, u, cw, width, height);
        }
        break;
    }
    default:
        frame.bytes.assign(static_cast<size_t>(width) * height * 2, 0x80);
        break;
    }
    frame.image.data = frame.bytes.data();
    frame.image.dataSize = static_cast<int>(frame.bytes.size());
    return frame;
}

Rgb QuadrantCenter(const uint8_t* pixels, int width, int height, int q, int redIndex)
{
    const int x = (q % 2 == 0) ? width / 4 : width * 3 / 4;
    const int y = (q / 2 == 0) ? height / 4 : height * 3 / 4;
    const uint8_t* p = pixels + (static_cast<size_t>(y) * width + x) * 4;
    return Rgb{p[redIndex], p[1], p[2 - redIndex]};
}

bool Near(const Rgb& a, const Rgb& b, int tolerance)
{
    return std::abs(a.r - b.r) <= tolerance && std::abs(a.g - b.g) <= tolerance
        && std::abs(a.b - b.b) <= tolerance;
}

double SceneDistance(const uint8_t* pixels, int width, int height, int channels, int redIndex,
    double tickPitchPx, int sensorWidth, int sensorHeight)
{
    dshow::MicroscopeScene scene(tickPitchPx, sensorWidth, sensorHeight);
    scene.Prepare(width, height);
    const int step = std::max(1, std::min(width, height) / 60);
    double best = 1e9;
    for (int n = 0; n < dshow::MicroscopeScene::kDriftPeriod; ++n) {
        const uint8_t* origin = scene.FrameOrigin(static_cast<uint64_t>(n));
        double sum = 0;
        long count = 0;
        for (int y = step / 2; y < height; y += step) {
            for (int x = step / 2; x < width; x += step) {
                const uint8_t* s = origin + static_cast<size_t>(y) * scene.StageStride() + x * 4;  // B,G,R,A
                const uint8_t* p = pixels + (static_cast<size_t>(y) * width + x) * channels;
                sum += std::abs(p[redIndex] - s[2]) + std::abs(p[1] - s[1])
                    + std::abs(p[2 - redIndex] - s[0]);
                count += 3;
            }
        }
        best = std::min(best, sum / static_cast<double>(count));
    }
    return best;
}

}  // namespace kelvara::test
