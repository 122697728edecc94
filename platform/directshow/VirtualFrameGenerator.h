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
    // Frame n of the stream; valid until the next call. Empty on failure.
    const std::vector<uint8_t>& Frame(uint64_t n);

    const MicroscopeScene& Scene() const { return m_scene; }

private:
    void EncodeJpeg(uint64_t n, std::vector<uint8_t>* out);
    // NV12, IYUV, YV12, grey, UYVY and YVYU from the scene into m_frame
    // (sized already); false for any other subtype.
    bool GenerateOther(const uint8_t* origin, int stride);

    MicroscopeScene m_scene;
    GUID m_subtype = GUID_NULL;
    int m_width = 0;
    int m_height = 0;
    std::vector<uint8_t> m_frame;
    std::vector<std::vector<uint8_t>> m_jpegRing;  // one per drift position
    void* m_jpegEncoder = nullptr;  // tjhandle
};

}  // namespace kelvara::dshow
