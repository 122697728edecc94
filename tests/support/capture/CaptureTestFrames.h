#pragma once
// Camera frames made from a known picture, byte for byte as the backends
// deliver them, and checks of the pictures that come out of the pipeline.

#include "camera_module/CMTypes.h"

#include <cstdint>
#include <vector>

namespace kelvara::test {

struct Rgb
{
    int r = 0;
    int g = 0;
    int b = 0;
};

// Four quadrants, R,G,B,A, top row first: red top left, green top right,
// blue bottom left, white bottom right.
std::vector<uint8_t> QuadrantPicture(int width, int height);

// The quadrant colours in the order top left, top right, bottom left, bottom right.
extern const Rgb kQuadrantColors[4];

// A frame of format built from an R,G,B,A picture. RGB24 is B,G,R with rows
// padded to 4 bytes, bottom-up when bottomUp; RAW24 is R,G,B; YUY2 packed;
// MJPG a JPEG stream (4:4:4, quality 95). image.data points into bytes.
struct TestFrame
{
    std::vector<uint8_t> bytes;
    tagCMImage image{};

    TestFrame() = default;
    TestFrame(const TestFrame& other) { *this = other; }
    TestFrame& operator=(const TestFrame& other);
};
TestFrame MakeFrame(
    const std::vector<uint8_t>& rgba, int width, int height, int format, bool bottomUp = false);

// Chroma sampling of a test JPEG: 4:4:4 (MakeFrame's), the 4:2:2 and 4:2:0
// that cameras send, or grey.
enum class JpegSampling
{
    k444,
    k422,
    k420,
    kGrey,
};
// An MJPG frame of the picture with that sampling (quality 90).
TestFrame MakeJpegFrame(const std::vector<uint8_t>& rgba, int width, int height, JpegSampling sampling);

// The colour at the centre of quadrant q (0..3, as above) of a 4-byte picture
// whose red is at byte redIndex (0 for R,G,B,A, 2 for B,G,R,A).
Rgb QuadrantCenter(const uint8_t* pixels, int width, int height, int q, int redIndex = 0);
bool Near(const Rgb& a, const Rgb& b, int tolerance);

// How far a picture of a virtual camera is from its scene: the mean absolute
// difference per channel (0 to 255) between the picture and the closest of
// the scene's drift positions, on a grid of sample points. pixels holds
// width x height pixels of `channels` bytes (3 or 4), top row first, red at
// byte redIndex. An upright picture of the scene gives a few units; one
// upside down or mirrored, tens.
// sensorWidth x sensorHeight: the device's sensor (0 x 0: the picture's own size).
double SceneDistance(const uint8_t* pixels, int width, int height, int channels, int redIndex,
    double tickPitchPx = 10.0, int sensorWidth = 0, int sensorHeight = 0);

}  // namespace kelvara::test
