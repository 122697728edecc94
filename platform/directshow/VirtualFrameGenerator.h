#pragma once
// Turns the microscope scene into frames of one video format, byte for byte
// as a capture driver would deliver them: YUY2 packed, RGB24 bottom-up B,G,R
// rows padded to 4 bytes, MJPG as JPEG (TurboJPEG; the drift cycle's frames
// are encoded once and then reused), H264 as an access unit without a
// picture (delimiter and filler data), since no encoder stands behind it.
//
// Threads: an object is used by one thread at a time.

#include <cstdint>
#include <vector>

#include "platform/directshow/CaptureDevice.h"
#include "platform/directshow/MicroscopeScene.h"

namespace kelvara::dshow {

class VirtualFrameGenerator
{
public:
    // tickPitchPx: the micrometer's pitch on a sensor of sensorWidth x
    // sensorHeight (0 x 0: every frame size is the sensor), see MicroscopeScene.
    explicit VirtualFrameGenerator(double tickPitchPx, int sensorWidth = 0, int sensorHeight = 0);
    ~VirtualFrameGenerator();
    VirtualFrameGenerator(const VirtualFrameGenerator&) = delete;
    VirtualFrameGenerator& operator=(const VirtualFrameGenerator&) = delete;

    // Switches to format (renders the scene for a new size).
    void Configure(const GUID& subtype, int width, int height);
    // The picture adjustments the device's controls ask for: a brightness
    // offset in levels (-255 to 255) and a contrast factor around mid-grey
    // (1: as it is). Neutral values cost nothing per frame.
    void SetAdjustment(int brightnessOffset, double contrast);
    // Frame n of the stream; valid until the next call. Empty on failure.
    const std::vector<uint8_t>& Frame(uint64_t n);

    const MicroscopeScene& Scene() const { return m_scene; }

private:
    void EncodeJpeg(const uint8_t* origin, int stride, std::vector<uint8_t>* out);
    // The crop of frame n with the adjustment applied, in m_adjusted; its stride is m_width * 4.
    const uint8_t* Adjusted(const uint8_t* origin, int stride);
    // NV12, IYUV, YV12, grey, UYVY and YVYU from the scene into m_frame
    // (sized already); false for any other subtype.
    bool GenerateOther(const uint8_t* origin, int stride);

    MicroscopeScene m_scene;
    GUID m_subtype = GUID_NULL;
    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_frame;
    int m_brightness = 0;
    double m_contrast = 1.0;
    uint8_t m_lut[256] = {};
    std::vector<uint8_t> m_adjusted;  // B,G,R,A of the adjusted crop
    std::vector<std::vector<uint8_t>> m_jpegRing;  // one per drift position
    void* m_jpegEncoder = nullptr;  // tjhandle
};

}  // namespace kelvara::dshow
