// The simulated camera's image processor.

#include "platform/ywdevsdk/YWImageSettings.h"

#include <algorithm>
#include <cmath>

namespace kelvara::ywdevsdk {

namespace {

uint8_t Clamp8(double v)
{
    if (!(v > 0.0))
        return 0;
    if (v >= 255.0)
        return 255;
    return static_cast<uint8_t>(v + 0.5);
}

// Channel gain, then contrast around mid-grey, then gamma, as one table.
void BuildTable(const YWImageSettings& s, uint8_t channelGain, uint8_t* table)
{
    const double gain = channelGain / 128.0;
    const double contrast = s.contrastOn ? 1.0 + s.contrast / 100.0 : 1.0;
    const bool gammaOn = s.gammaOn && s.gamma > 0.0f;
    const double inverseGamma = gammaOn ? 1.0 / s.gamma : 1.0;
    for (int v = 0; v < 256; ++v) {
        double x = std::min(255.0, v * gain);
        x = std::clamp((x - 128.0) * contrast + 128.0, 0.0, 255.0);
        if (gammaOn)
            x = 255.0 * std::pow(x / 255.0, inverseGamma);
        table[v] = Clamp8(x);
    }
}

}  // namespace

void ProcessFrame(const YWImageSettings& s, const uint8_t* rgb, int width, int height, uint8_t* out)
{
    uint8_t red[256], green[256], blue[256];
    BuildTable(s, s.redGain, red);
    BuildTable(s, s.greenGain, green);
    BuildTable(s, s.blueGain, blue);
    const bool saturate = s.saturationOn && s.saturation != 128;
    const int saturation = s.saturation;
    const size_t rowBytes = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y) {
        const uint8_t* src = rgb + static_cast<size_t>(y) * rowBytes;
        const int outY = s.flip ? height - 1 - y : y;
        uint8_t* row = out + static_cast<size_t>(outY) * rowBytes;
        for (int x = 0; x < width; ++x, src += 3) {
            int r = red[src[0]];
            int g = green[src[1]];
            int b = blue[src[2]];
            if (saturate) {
                const int luma = (77 * r + 150 * g + 29 * b) >> 8;
                r = std::clamp(luma + (r - luma) * saturation / 128, 0, 255);
                g = std::clamp(luma + (g - luma) * saturation / 128, 0, 255);
                b = std::clamp(luma + (b - luma) * saturation / 128, 0, 255);
            }
            uint8_t* dst = row + static_cast<size_t>(s.mirror ? width - 1 - x : x) * 3;
            dst[0] = static_cast<uint8_t>(b);
            dst[1] = static_cast<uint8_t>(g);
            dst[2] = static_cast<uint8_t>(r);
        }
    }
}

void ChannelMeans(const uint8_t* rgb, int width, int height, double* red, double* green, double* blue)
{
    double sum[3] = {0, 0, 0};
    long count = 0;
    for (int y = 0; y < height; y += 4) {
        const uint8_t* p = rgb + static_cast<size_t>(y) * width * 3;
        for (int x = 0; x < width; x += 4, p += 12) {
            sum[0] += p[0];
            sum[1] += p[1];
            sum[2] += p[2];
            ++count;
        }
    }
    const double n = count > 0 ? static_cast<double>(count) : 1.0;
    *red = sum[0] / n;
    *green = sum[1] / n;
    *blue = sum[2] / n;
}

}  // namespace kelvara::ywdevsdk
