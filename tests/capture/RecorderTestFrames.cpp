#include "tests/capture/RecorderTestFrames.h"

namespace kelvara {

std::vector<uint8_t> MakeMovingFrame(int width, int height, int index)
{
    const size_t luma = static_cast<size_t>(width) * height;
    std::vector<uint8_t> frame(luma * 3 / 2);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            frame[static_cast<size_t>(y) * width + x] = static_cast<uint8_t>(x + y + index * 3);
    const int side = height / 4;
    const int left = (index * 7) % (width - side);
    for (int y = side; y < 2 * side; ++y)
        for (int x = left; x < left + side; ++x)
            frame[static_cast<size_t>(y) * width + x] = 235;
    for (size_t i = luma; i < frame.size(); ++i)
        frame[i] = static_cast<uint8_t>(128 + (i + index) % 32);
    return frame;
}

}  // namespace kelvara
