#include "tools/wmp_simulator/SceneAdjust.h"

#include <algorithm>
#include <cmath>
#include <cstddef>

namespace kelvara::wmp {

void ApplySceneAdjust(const uint8_t* source, int sourceStride, int width, int height,
    const SceneAdjust& adjust, uint8_t* target, int targetStride)
{
    double exponent = 100.0 / std::clamp(adjust.gammaX100, 10, 1000);
    double level
        = std::clamp(adjust.exposure, 1, 1000) / 100.0 * (1.0 + std::clamp(adjust.gain, 0, 100) / 100.0);
    double tint = (std::clamp(adjust.temperature, 2800, 6500) - 5000) / 1500.0;
    double channelLevel[3] = {level * (1 - 0.15 * tint), level, level * (1 + 0.15 * tint)};  // B, G, R
    double contrast = std::clamp(adjust.contrast, 0, 100) / 50.0;
    uint8_t table[3][256];
    for (int c = 0; c < 3; ++c) {
        for (int i = 0; i < 256; ++i) {
            double value = (i * channelLevel[c] - 128) * contrast + 128 + adjust.brightness;
            value = std::clamp(value, 0.0, 255.0);
            table[c][i] = static_cast<uint8_t>(std::lround(255.0 * std::pow(value / 255.0, exponent)));
        }
    }
    int saturation = std::clamp(adjust.saturation, 0, 100) * 256 / 50;
    for (int y = 0; y < height; ++y) {
        const uint8_t* in = source + static_cast<size_t>(y) * sourceStride;
        uint8_t* out = target + static_cast<size_t>(y) * targetStride;
        for (int x = 0; x < width; ++x, in += 4, out += 4) {
            int b = table[0][in[0]], g = table[1][in[1]], r = table[2][in[2]];
            int grey = (29 * b + 150 * g + 77 * r) >> 8;
            out[0] = static_cast<uint8_t>(std::clamp(grey + (((b - grey) * saturation) >> 8), 0, 255));
            out[1] = static_cast<uint8_t>(std::clamp(grey + (((g - grey) * saturation) >> 8), 0, 255));
            out[2] = static_cast<uint8_t>(std::clamp(grey + (((r - grey) * saturation) >> 8), 0, 255));
            out[3] = 255;
        }
    }
}

}  // namespace kelvara::wmp
