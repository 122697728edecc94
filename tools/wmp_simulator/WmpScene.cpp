#include "tools/wmp_simulator/WmpScene.h"

#include <algorithm>
#include <cmath>

namespace kelvara::wmp {

namespace {

constexpr double kPi = 3.14159265358979323846;

double Hash(int x, int y, int salt)
{
    uint32_t h = static_cast<uint32_t>(x) * 374761393u + static_cast<uint32_t>(y) * 668265263u
        + static_cast<uint32_t>(salt) * 2246822519u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return (h & 0xFFFFFF) / 16777216.0;
}

double Smooth(double t)
{
    return t * t * (3.0 - 2.0 * t);
}

double ValueNoise(double x, double y, int salt)
{
    int ix = static_cast<int>(std::floor(x));
    int iy = static_cast<int>(std::floor(y));
    double fx = Smooth(x - ix);
    double fy = Smooth(y - iy);
    double a = Hash(ix, iy, salt), b = Hash(ix + 1, iy, salt);
    double c = Hash(ix, iy + 1, salt), d = Hash(ix + 1, iy + 1, salt);
    return (a + (b - a) * fx) * (1 - fy) + (c + (d - c) * fx) * fy;
}

struct Rgb
{
    double r, g, b;
};

Rgb Mix(Rgb a, Rgb b, double t)
{
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

// Stained cells on a jittered grid.
Rgb Specimen(double u, double v)
{
    double texture = 0.55 * ValueNoise(u / 40, v / 40, 1) + 0.3 * ValueNoise(u / 13, v / 13, 2)
        + 0.15 * ValueNoise(u / 4, v / 4, 3);
    double shade = 0.82 + 0.3 * texture;
    Rgb colour{236 * shade, 214 * shade, 224 * shade};

    constexpr double kCell = 48.0;
    int cx = static_cast<int>(std::floor(u / kCell));
    int cy = static_cast<int>(std::floor(v / kCell));
    for (int j = cy - 1; j <= cy + 1; ++j) {
        for (int i = cx - 1; i <= cx + 1; ++i) {
            if (Hash(i, j, 4) < 0.35)
                continue;
            double centreU = (i + 0.2 + 0.6 * Hash(i, j, 5)) * kCell;
            double centreV = (j + 0.2 + 0.6 * Hash(i, j, 6)) * kCell;
            double radius = 9 + 8 * Hash(i, j, 7);
            double d = std::hypot(u - centreU, v - centreV) / radius;
            if (d >= 1.0)
                continue;
            double edge = std::min(1.0, (1.0 - d) * 4.0);
            colour = Mix(colour, Rgb{150, 95, 165}, 0.6 * edge);
            if (d < 0.35)
                colour = Mix(colour, Rgb{85, 45, 120}, std::min(1.0, (0.35 - d) * 8.0));
        }
    }
    return colour;
}

// Coverage (0..1) of the micrometer's ink at (u, v).
double ScaleInk(double u, double v, double centreV, double unitsPerPixel)
{
    auto coverage = [&](double distance, double halfWidth) {
        double halfPx = std::max(0.5, halfWidth / unitsPerPixel);
        return std::clamp(halfPx + 0.5 - distance / unitsPerPixel, 0.0, 1.0);
    };
    constexpr double kStart = 40.0;
    constexpr int kTicks = 56;
    constexpr double kEnd = kStart + kTicks * WmpScene::kTickPitch;
    double ink = 0;
    if (u >= kStart - 1 && u <= kEnd + 1)
        ink = coverage(std::fabs(v - centreV), 0.6);
    int k = static_cast<int>(std::lround((u - kStart) / WmpScene::kTickPitch));
    if (k >= 0 && k <= kTicks) {
        double length = k % 10 == 0 ? 16 : (k % 5 == 0 ? 10 : 6);
        if (v <= centreV && v >= centreV - length) {
            double tickU = kStart + k * WmpScene::kTickPitch;
            ink = std::max(ink, coverage(std::fabs(u - tickU), 0.5));
        }
    }
    return ink;
}

}  // namespace

void WmpScene::RenderInto(int width, int height, int originX, int originY, double unitsPerPixel,
    uint8_t* bgra, int stride, int rows, int columns)
{
    double centreV = height * unitsPerPixel / 2.0;
    double centreX = width / 2.0, centreY = height / 2.0;
    double reach = std::hypot(centreX, centreY);
    for (int y = 0; y < rows; ++y) {
        uint8_t* out = bgra + static_cast<size_t>(y) * stride;
        double py = y - originY + 0.5;
        double v = py * unitsPerPixel;
        for (int x = 0; x < columns; ++x) {
            double px = x - originX + 0.5;
            double u = px * unitsPerPixel;
            Rgb c = Specimen(u, v);
            c = Mix(c, Rgb{25, 25, 35}, ScaleInk(u, v, centreV, unitsPerPixel));
            double vignette = 1.0 - 0.25 * std::pow(std::hypot(px - centreX, py - centreY) / reach, 2.0);
            out[x * 4 + 0] = static_cast<uint8_t>(std::clamp(c.b * vignette, 0.0, 255.0));
            out[x * 4 + 1] = static_cast<uint8_t>(std::clamp(c.g * vignette, 0.0, 255.0));
            out[x * 4 + 2] = static_cast<uint8_t>(std::clamp(c.r * vignette, 0.0, 255.0));
            out[x * 4 + 3] = 255;
        }
    }
}

void WmpScene::Adjust(const uint8_t* source, int sourceStride, int width, int height,
    const SceneAdjust& adjust, uint8_t* target, int targetStride)
{
    // Exposure, gain, white balance, contrast, brightness and gamma per
    // channel through one table each; saturation mixes with the grey level.
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

void WmpScene::Prepare(int width, int height)
{
    m_width = width;
    m_height = height;
    m_canvasWidth = width + 2 * kMargin;
    int canvasHeight = height + 2 * kMargin;
    m_canvas.assign(static_cast<size_t>(m_canvasWidth) * canvasHeight * 4, 0);
    RenderInto(width, height, kMargin, kMargin, kUnitsWide / width, m_canvas.data(), Stride(), canvasHeight,
        m_canvasWidth);
}

const uint8_t* WmpScene::Frame(double seconds) const
{
    int dx = static_cast<int>(std::lround(kMargin * 0.8 * std::sin(2 * kPi * seconds / 7.0)));
    int dy = static_cast<int>(std::lround(kMargin * 0.6 * std::sin(2 * kPi * seconds / 11.0 + 1.0)));
    return m_canvas.data() + static_cast<size_t>(kMargin + dy) * Stride()
        + static_cast<size_t>(kMargin + dx) * 4;
}

void WmpScene::Render(int width, int height, std::vector<uint8_t>* bgra)
{
    bgra->assign(static_cast<size_t>(width) * height * 4, 0);
    RenderInto(width, height, 0, 0, kUnitsWide / width, bgra->data(), width * 4, height, width);
}

}  // namespace kelvara::wmp
