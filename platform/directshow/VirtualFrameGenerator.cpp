// Frame generation in the formats virtual cameras offer.

#include "platform/directshow/VirtualFrameGenerator.h"

#include <algorithm>
#include <cmath>

#include <cstring>
#include <libyuv.h>
#include <turbojpeg.h>
#include <utility>

#include "platform/directshow/MediaType.h"

namespace kelvara::dshow {

namespace {

// Access unit delimiter followed by a filler-data NAL unit.
std::vector<uint8_t> H264FillerUnit()
{
    std::vector<uint8_t> unit = {0, 0, 0, 1, 0x09, 0xF0, 0, 0, 0, 1, 0x0C};
    unit.insert(unit.end(), 1024, 0xFF);
    unit.push_back(0x80);
    return unit;
}

}  // namespace

VirtualFrameGenerator::VirtualFrameGenerator(double tickPitchPx, int sensorWidth, int sensorHeight)
    : m_scene(tickPitchPx, sensorWidth, sensorHeight)
{
}

VirtualFrameGenerator::~VirtualFrameGenerator()
{
    if (m_jpegEncoder)
        tjDestroy(static_cast<tjhandle>(m_jpegEncoder));
}

void VirtualFrameGenerator::Configure(const GUID& subtype, int width, int height)
{
    if (subtype == m_subtype && width == m_width && height == m_height)
        return;
    m_subtype = subtype;
    m_width = width;
    m_height = height;
    m_jpegRing.assign(MicroscopeScene::kDriftPeriod, {});
    if (subtype != MEDIASUBTYPE_H264)
        m_scene.Prepare(width, height);
}

void VirtualFrameGenerator::SetAdjustment(int brightnessOffset, double contrast)
{
    brightnessOffset = std::max(-255, std::min(255, brightnessOffset));
    if (!(contrast >= 0))
        contrast = 0;
    if (brightnessOffset == m_brightness && contrast == m_contrast)
        return;
    m_brightness = brightnessOffset;
    m_contrast = contrast;
    for (int level = 0; level < 256; ++level) {
        const double value = (level - 128) * contrast + 128 + brightnessOffset;
        m_lut[level] = static_cast<uint8_t>(std::max(0.0, std::min(255.0, std::round(value))));
    }
    // Compressed frames made with the old adjustment are stale.
    for (auto& cached : m_jpegRing)
        cached.clear();
}

const uint8_t* VirtualFrameGenerator::Adjusted(const uint8_t* origin, int stride)
{
    const size_t rowBytes = static_cast<size_t>(m_width) * 4;
    m_adjusted.resize(rowBytes * m_height);
    for (int y = 0; y < m_height; ++y) {
        const uint8_t* in = origin + static_cast<size_t>(y) * stride;
        uint8_t* out = &m_adjusted[rowBytes * y];
        for (size_t i = 0; i < rowBytes; i += 4) {
            out[i] = m_lut[in[i]];
            out[i + 1] = m_lut[in[i + 1]];
            out[i + 2] = m_lut[in[i + 2]];
            out[i + 3] = in[i + 3];
        }
    }
    return m_adjusted.data();
}

void VirtualFrameGenerator::EncodeJpeg(const uint8_t* origin, int stride, std::vector<uint8_t>* out)
{
    if (!m_jpegEncoder)
        m_jpegEncoder = tjInitCompress();
    if (!m_jpegEncoder)
        return;
    unsigned char* jpeg = nullptr;
    unsigned long size = 0;
    if (tjCompress2(static_cast<tjhandle>(m_jpegEncoder), origin, m_width, stride, m_height, TJPF_BGRA, &jpeg,
            &size, TJSAMP_422, 85, TJFLAG_FASTDCT)
        == 0)
        out->assign(jpeg, jpeg + size);
    tjFree(jpeg);
}

bool VirtualFrameGenerator::GenerateOther(const uint8_t* origin, int stride)
{
    // The other uncompressed formats of USB cameras: planar 4:2:0 (tightly
    // packed planes), grey, and the other packed 4:2:2 orders.
    uint8_t* y = m_frame.data();
    const int chromaWidth = (m_width + 1) / 2;
    uint8_t* u = y + static_cast<size_t>(m_width) * m_height;
    uint8_t* v = u + static_cast<size_t>(chromaWidth) * ((m_height + 1) / 2);
    if (m_subtype == MEDIASUBTYPE_NV12)
        return libyuv::ARGBToNV12(origin, stride, y, m_width, u, chromaWidth * 2, m_width, m_height) == 0;
    if (m_subtype == MEDIASUBTYPE_IYUV)
        return libyuv::ARGBToI420(
                   origin, stride, y, m_width, u, chromaWidth, v, chromaWidth, m_width, m_height)
            == 0;
    if (m_subtype == MEDIASUBTYPE_YV12)
        return libyuv::ARGBToI420(
                   origin, stride, y, m_width, v, chromaWidth, u, chromaWidth, m_width, m_height)
            == 0;
    if (m_subtype == MEDIASUBTYPE_GREY || m_subtype == MEDIASUBTYPE_Y800 || m_subtype == MEDIASUBTYPE_Y8)
        return libyuv::ARGBToJ400(origin, stride, y, m_width, m_width, m_height) == 0;
    if (m_subtype == MEDIASUBTYPE_UYVY)
        return libyuv::ARGBToUYVY(origin, stride, y, chromaWidth * 4, m_width, m_height) == 0;
    if (m_subtype == MEDIASUBTYPE_YVYU) {
        if (libyuv::ARGBToYUY2(origin, stride, y, chromaWidth * 4, m_width, m_height) != 0)
            return false;
        for (size_t i = 0; i + 3 < m_frame.size(); i += 4)
            std::swap(m_frame[i + 1], m_frame[i + 3]);
        return true;
    }
    return false;
}

const std::vector<uint8_t>& VirtualFrameGenerator::Frame(uint64_t n)
{
    m_frame.clear();
    if (m_width <= 0 || m_height <= 0)
        return m_frame;
    if (m_subtype == MEDIASUBTYPE_H264) {
        m_frame = H264FillerUnit();
        return m_frame;
    }
    const uint8_t* origin = m_scene.FrameOrigin(n);
    int stride = m_scene.StageStride();
    const bool adjusted = m_brightness != 0 || m_contrast != 1.0;
    if (m_subtype == MEDIASUBTYPE_MJPG) {
        std::vector<uint8_t>& cached = m_jpegRing[n % m_jpegRing.size()];
        if (cached.empty()) {
            if (adjusted)
                EncodeJpeg(Adjusted(origin, stride), m_width * 4, &cached);
            else
                EncodeJpeg(origin, stride, &cached);
        }
        return cached;
    }
    if (adjusted) {
        origin = Adjusted(origin, stride);
        stride = m_width * 4;
    }
    const uint32_t bytes = FrameBytes(m_subtype, m_width, m_height);
    if (bytes == 0)
        return m_frame;
    m_frame.resize(bytes);
    if (m_subtype == MEDIASUBTYPE_YUY2) {
        libyuv::ARGBToYUY2(origin, stride, m_frame.data(), ((m_width + 1) / 2) * 4, m_width, m_height);
    } else if (m_subtype == MEDIASUBTYPE_RGB24) {
        // A negative height reads the source bottom row first: a bottom-up DIB.
        const int dibStride = static_cast<int>(bytes / static_cast<uint32_t>(m_height));
        libyuv::ARGBToRGB24(origin, stride, m_frame.data(), dibStride, m_width, -m_height);
    } else if (!GenerateOther(origin, stride)) {
        m_frame.clear();
    }
    return m_frame;
}

}  // namespace kelvara::dshow
