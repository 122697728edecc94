// Rendering of the virtual microscope scene.

#include "platform/directshow/MicroscopeScene.h"

#include <algorithm>
#include <cmath>

namespace kelvara::dshow {

namespace {

constexpr double kPi = 3.14159265358979323846;

// Deterministic per-pixel noise in [-1, 1].
inline double Noise(uint32_t x, uint32_t y)
{
    uint32_t h = x * 374761393u + y * 668265263u;
    h = (h ^ (h >> 13)) * 1274126177u;
    h ^= h >> 16;
    return static_cast<double>(h & 0xFFFF) / 32767.5 - 1.0;
}

inline uint8_t Clamp8(double v)
{
    return static_cast<uint8_t>(v < 0 ? 0 : v > 255 ? 255 : v + 0.5);
}

}  // namespace

MicroscopeScene::View MicroscopeScene::ViewOf(int sensorWidth, int sensorHeight, int width, int height)
{
    View view;
    if (sensorWidth <= 0 || sensorHeight <= 0 || width <= 0 || height <= 0)
        return view;
    const double cross = static_cast<double>(width) * sensorHeight;
    const double sensor = static_cast<double>(height) * sensorWidth;
    if (std::fabs(cross - sensor) <= kSameShapeTolerance * std::max(cross, sensor))
        view.scale = static_cast<double>(width) / sensorWidth;
    else
        view.scale = std::max(
            {1.0, static_cast<double>(width) / sensorWidth, static_cast<double>(height) / sensorHeight});
    view.offsetX = (width - sensorWidth * view.scale) / 2;
    view.offsetY = (height - sensorHeight * view.scale) / 2;
    return view;
}

MicroscopeScene::MicroscopeScene(double tickPitchPx, int sensorWidth, int sensorHeight)
    : m_sensorPitch(tickPitchPx < 2.0 ? 2.0 : tickPitchPx)
    , m_sensorWidth(sensorWidth > 0 && sensorHeight > 0 ? sensorWidth : 0)
    , m_sensorHeight(sensorWidth > 0 && sensorHeight > 0 ? sensorHeight : 0)
    , m_pitch(m_sensorPitch)
{
}

void MicroscopeScene::DriftOffset(uint64_t n, int* dx, int* dy)
{
    const double angle = 2.0 * kPi * static_cast<double>(n % kDriftPeriod) / kDriftPeriod;
    *dx = static_cast<int>(std::lround(kDriftRadius * std::cos(angle)));
    *dy = static_cast<int>(std::lround(kDriftRadius * std::sin(angle)));
}

void MicroscopeScene::Prepare(int width, int height)
{
    if (width == m_width && height == m_height && !m_stage.empty())
        return;
    m_width = std::max(1, width);
    m_height = std::max(1, height);
    m_stageWidth = m_width + 2 * kDriftRadius;
    m_stageHeight = m_height + 2 * kDriftRadius;
    Render();
}

const uint8_t* MicroscopeScene::FrameOrigin(uint64_t n) const
{
    int dx = 0;
    int dy = 0;
    DriftOffset(n, &dx, &dy);
    const size_t x = static_cast<size_t>(kDriftRadius + dx);
    const size_t y = static_cast<size_t>(kDriftRadius + dy);
    return m_stage.data() + y * static_cast<size_t>(StageStride()) + x * 4;
}

void MicroscopeScene::Render()
{
    const int sw = m_stageWidth;
    const int sh = m_stageHeight;
    const int sensorWidth = m_sensorWidth > 0 ? m_sensorWidth : m_width;
    const int sensorHeight = m_sensorHeight > 0 ? m_sensorHeight : m_height;
    m_view = ViewOf(sensorWidth, sensorHeight, m_width, m_height);
    m_pitch = m_sensorPitch * m_view.scale;
    m_stage.assign(static_cast<size_t>(sw) * sh * 4, 0);
    // Features are laid out on the sensor, sized for a 1080-line one; stage
    // pixel x shows sensor x (x - kDriftRadius - offsetX) / scale.
    const double k = m_view.scale;
    const double originX = kDriftRadius + m_view.offsetX;
    const double originY = kDriftRadius + m_view.offsetY;
    const double size = std::min(sensorWidth, sensorHeight) / 1080.0;

    // Background: separable low-frequency texture, fine noise, vignette.
    std::vector<double> column(static_cast<size_t>(sw));
    std::vector<double> row(static_cast<size_t>(sh));
    for (int x = 0; x < sw; ++x) {
        const double u = (x - originX) / k;
        column[x] = 9.0 * std::sin(u / (83.0 * size + 1)) + 5.0 * std::sin(u / (23.0 * size + 1) + 1.3);
    }
    for (int y = 0; y < sh; ++y) {
        const double v = (y - originY) / k;
        row[y] = 8.0 * std::sin(v / (71.0 * size + 1) + 0.7) + 4.0 * std::cos(v / (19.0 * size + 1));
    }
    const double cx = originX + k * sensorWidth / 2.0;
    const double cy = originY + k * sensorHeight / 2.0;
    const double rx = k * sensorWidth / 2.0 + kDriftRadius;
    const double ry = k * sensorHeight / 2.0 + kDriftRadius;
    const double r2max = rx * rx + ry * ry;
    for (int y = 0; y < sh; ++y) {
        uint8_t* p = &m_stage[static_cast<size_t>(y) * sw * 4];
        const double dy2 = (y - cy) * (y - cy);
        for (int x = 0; x < sw; ++x, p += 4) {
            const double vignette = 1.0 - 0.35 * std::min(1.0, ((x - cx) * (x - cx) + dy2) / r2max);
            const double base = (200.0 + column[x] + row[y] + 5.0 * Noise(x, y)) * vignette;
            p[0] = Clamp8(base * 0.88);
            p[1] = Clamp8(base * 0.96);
            p[2] = Clamp8(base);
            p[3] = 255;
        }
    }

    // Cells: soft discs with a darker rim, placed pseudo-randomly on the sensor.
    const int cells = 18;
    for (int i = 0; i < cells; ++i) {
        const double ux = (Noise(i, 11) + 1) / 2;
        const double uy = (Noise(i, 29) + 1) / 2;
        const double radius = ((25 + 30 * (Noise(i, 47) + 1) / 2) * size + 3) * k;
        const double px = originX + k * ux * sensorWidth;
        const double py = originY + k * uy * sensorHeight;
        const int x0 = std::max(0, static_cast<int>(px - radius));
        const int x1 = std::min(sw - 1, static_cast<int>(px + radius));
        const int y0 = std::max(0, static_cast<int>(py - radius));
        const int y1 = std::min(sh - 1, static_cast<int>(py + radius));
        for (int y = y0; y <= y1; ++y) {
            for (int x = x0; x <= x1; ++x) {
                const double d = std::hypot(x - px, y - py) / radius;
                if (d >= 1.0)
                    continue;
                const double shade = d > 0.85 ? 0.62 : 0.86 + 0.06 * d;
                uint8_t* p = &m_stage[(static_cast<size_t>(y) * sw + x) * 4];
                p[0] = Clamp8(p[0] * shade * 1.05);
                p[1] = Clamp8(p[1] * shade * 0.92);
                p[2] = Clamp8(p[2] * shade);
            }
        }
    }
    DrawMicrometer();
}

void MicroscopeScene::DrawMicrometer()
{
    // A baseline with ticks every m_sensorPitch sensor pixels, longer every
    // fifth and tenth tick, laid out on the sensor and drawn in resting-frame
    // coordinates.
    const int sw = m_stageWidth;
    const int sh = m_stageHeight;
    auto fill = [&](int fx0, int fy0, int fx1, int fy1) {
        for (int y = std::max(0, fy0 + kDriftRadius); y <= std::min(sh - 1, fy1 + kDriftRadius); ++y)
            for (int x = std::max(0, fx0 + kDriftRadius); x <= std::min(sw - 1, fx1 + kDriftRadius); ++x) {
                uint8_t* p = &m_stage[(static_cast<size_t>(y) * sw + x) * 4];
                p[0] = 34;
                p[1] = 30;
                p[2] = 28;
            }
    };
    const int sensorWidth = m_sensorWidth > 0 ? m_sensorWidth : m_width;
    const int sensorHeight = m_sensorHeight > 0 ? m_sensorHeight : m_height;
    const double k = m_view.scale;
    const double firstX = sensorWidth * 0.08;  // sensor pixels
    const int ticks = static_cast<int>(sensorWidth * 0.84 / m_sensorPitch) + 1;
    auto tickX = [&](int i) {
        return static_cast<int>(std::lround(m_view.offsetX + k * (firstX + i * m_sensorPitch)));
    };
    const int thickness = std::max(2, static_cast<int>(k * sensorHeight / 400));
    const int tickWidth = std::max(1, static_cast<int>(m_pitch / 5));
    m_baselineY = static_cast<int>(std::floor(m_view.offsetY + k * sensorHeight * 0.56));
    m_shortTick = std::max(6, static_cast<int>(k * sensorHeight * 0.035));
    fill(tickX(0), m_baselineY, tickX(ticks - 1) + tickWidth - 1, m_baselineY + thickness - 1);
    m_tickCount = 0;
    m_firstTickX = 0;
    for (int i = 0; i < ticks; ++i) {
        const int x = tickX(i);
        const int length = i % 10 == 0 ? m_shortTick * 5 / 2 : i % 5 == 0 ? m_shortTick * 8 / 5 : m_shortTick;
        fill(x, m_baselineY - length, x + tickWidth - 1, m_baselineY - 1);
        if (x >= 0 && x + tickWidth <= m_width) {
            if (m_tickCount++ == 0)
                m_firstTickX = x;
        }
    }
}

}  // namespace kelvara::dshow
