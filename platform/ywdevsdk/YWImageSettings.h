#pragma once
// The image settings of one simulated device and their ranges, and the
// image processor that applies them to a sensor frame.
//
// Threads: plain data and pure functions; any thread.

#include <cstdint>
#include <vector>

namespace kelvara::ywdevsdk {

struct YWImageSettings
{
    uint8_t redGain = 128;  // 128 = unity
    uint8_t greenGain = 128;
    uint8_t blueGain = 128;
    uint8_t analogGain = 16;  // 16 = unity
    uint8_t saturation = 128;  // 128 = unchanged
    bool saturationOn = false;
    float gamma = 1.0f;
    bool gammaOn = false;
    int16_t contrast = 0;  // 0 = unchanged, -100 flat .. 100 doubled
    bool contrastOn = false;
    uint8_t aeTarget = 110;  // mean brightness auto exposure aims at
    bool autoExposure = false;
    uint16_t exposureMs = 30;
    bool mirror = false;
    bool flip = false;
    int frameSpeed = 0;  // index into kFrameSpeeds
};

// Ranges: min, max, default.
struct YWRanges
{
    static constexpr uint8_t kChannelGain[3] = {0, 255, 128};
    static constexpr uint8_t kAnalogGain[3] = {16, 128, 16};
    static constexpr uint8_t kSaturation[3] = {0, 255, 128};
    static constexpr float kGamma[3] = {0.3f, 3.0f, 1.0f};
    static constexpr int16_t kContrast[3] = {-100, 100, 0};
    static constexpr uint8_t kAeTarget[3] = {16, 235, 110};
    static constexpr uint16_t kExposureMs[3] = {1, 2000, 30};
};

// Frame speeds: name and frame interval.
struct YWFrameSpeedEntry
{
    const wchar_t* name;
    int intervalMs;
};
inline constexpr YWFrameSpeedEntry kFrameSpeeds[] = {
    {L"High Speed", 33},
    {L"Normal Speed", 66},
    {L"Low Speed", 200},
};
inline constexpr int kFrameSpeedCount = 3;

// Applies gains, contrast, gamma, saturation, mirror and flip to a packed
// R, G, B frame (top row first) and writes packed B, G, R bytes (top row
// first) to out, which must hold width * height * 3 bytes.
void ProcessFrame(const YWImageSettings& settings, const uint8_t* rgb, int width, int height, uint8_t* out);

// Mean of each channel of a packed R, G, B frame, sampled sparsely.
void ChannelMeans(const uint8_t* rgb, int width, int height, double* red, double* green, double* blue);

}  // namespace kelvara::ywdevsdk
