#include "app/shell/ShadowImage.h"

#include <algorithm>
#include <cmath>

std::vector<ShadowSpan> RoundRectSpans(int width, int height, int cornerWidth, int cornerHeight)
{
    std::vector<ShadowSpan> spans(
        static_cast<size_t>(std::max(0, height)), ShadowSpan{0, std::max(0, width)});
    if (cornerWidth < 2 || cornerHeight < 2)
        return spans;
    double rx = std::min(cornerWidth, width) / 2.0;
    double ry = std::min(cornerHeight, height) / 2.0;
    for (int y = 0; y < height; ++y) {
        // Distance of the pixel row's centre from the corner ellipse's centre line.
        double dy = 0;
        if (y + 0.5 < ry)
            dy = ry - (y + 0.5);
        else if (y + 0.5 > height - ry)
            dy = (y + 0.5) - (height - ry);
        if (dy <= 0)
            continue;
        double t = 1.0 - (dy * dy) / (ry * ry);
        double half = t > 0 ? rx * std::sqrt(t) : 0;
        // A pixel is inside when its centre lies within the ellipse.
        int inset = static_cast<int>(std::ceil(rx - half - 0.5));
        inset = std::clamp(inset, 0, width / 2);
        spans[static_cast<size_t>(y)] = ShadowSpan{inset, width - inset};
    }
    return spans;
}

int ShadowKernelAlpha(double r, const ShadowParams& params)
{
    int radius = std::max<int>(params.size, params.sharpness);
    int solid = params.size > params.sharpness ? params.size - params.sharpness : 0;
    if (r < solid)
        return params.darkness;
    if (r <= radius)
        return static_cast<int>(
            std::lround((1.0 - (r - solid) / (params.sharpness + 1.0)) * params.darkness));
    return 0;
}

namespace {

uint32_t Premultiplied(uint32_t colour, int alpha)
{
    uint32_t a = static_cast<uint32_t>(std::clamp(alpha, 0, 255));
    uint32_t r = (colour & 0xFF) * a / 255;
    uint32_t g = ((colour >> 8) & 0xFF) * a / 255;
    uint32_t b = ((colour >> 16) & 0xFF) * a / 255;
    return a << 24 | r << 16 | g << 8 | b;
}

}  // namespace

std::vector<uint32_t> MakeShadowImage(
    const std::vector<ShadowSpan>& spans, int width, const ShadowParams& params)
{
    const int size = std::max<int>(0, params.size);
    const int rows = static_cast<int>(spans.size());
    const int W = std::max(0, width) + 2 * size;
    const int H = rows + 2 * size;
    std::vector<uint32_t> pixels(static_cast<size_t>(W) * static_cast<size_t>(H), 0);
    if (W == 0 || H == 0)
        return pixels;

    // Spans in shadow coordinates, one per shadow row.
    std::vector<ShadowSpan> cur(static_cast<size_t>(H), ShadowSpan{0, 0});
    for (int y = 0; y < rows; ++y) {
        const ShadowSpan& s = spans[static_cast<size_t>(y)];
        if (s.end > s.first)
            cur[static_cast<size_t>(y + size)] = ShadowSpan{s.first + size, s.end + size};
    }
    auto empty = [](const ShadowSpan& s) { return s.end <= s.first; };
    for (int step = 0; step < params.sharpness - params.size; ++step) {
        std::vector<ShadowSpan> next(cur.size(), ShadowSpan{0, 0});
        for (int y = 0; y < H; ++y) {
            const ShadowSpan& s = cur[static_cast<size_t>(y)];
            if (y == 0 || y == H - 1 || empty(s))
                continue;
            const ShadowSpan& a = cur[static_cast<size_t>(y - 1)];
            const ShadowSpan& b = cur[static_cast<size_t>(y + 1)];
            if (empty(a) || empty(b))
                continue;
            int first = std::max({a.first, s.first, b.first}) + 1;
            int end = std::min({a.end, s.end, b.end}) - 1;
            if (end > first)
                next[static_cast<size_t>(y)] = ShadowSpan{first, end};
        }
        cur.swap(next);
    }

    // Kernel alphas by offset from the centre.
    const int R = std::max<int>(params.size, params.sharpness);
    const int K = 2 * R + 1;
    std::vector<int> kernel(static_cast<size_t>(K) * static_cast<size_t>(K));
    for (int ky = 0; ky < K; ++ky)
        for (int kx = 0; kx < K; ++kx)
            kernel[static_cast<size_t>(ky * K + kx)] = ShadowKernelAlpha(std::hypot(kx - R, ky - R), params);

    std::vector<int> alpha(pixels.size(), 0);
    auto stamp = [&](int cx, int cy) {
        for (int ky = 0; ky < K; ++ky) {
            int y = cy + ky - R;
            if (y < 0 || y >= H)
                continue;
            for (int kx = 0; kx < K; ++kx) {
                int x = cx + kx - R;
                if (x < 0 || x >= W)
                    continue;
                int& a = alpha[static_cast<size_t>(y * W + x)];
                a = std::max(a, kernel[static_cast<size_t>(ky * K + kx)]);
            }
        }
    };
    auto covers = [&](int y, int x) {
        if (y < 0 || y >= H)
            return false;
        const ShadowSpan& s = cur[static_cast<size_t>(y)];
        return x >= s.first && x < s.end;
    };
    for (int y = 0; y < H; ++y) {
        const ShadowSpan& s = cur[static_cast<size_t>(y)];
        for (int x = s.first; x < s.end; ++x) {
            // Edge pixels: the ends of the row and pixels the rows above or
            // below do not cover; only they can be nearest to an outside point.
            bool edge = x == s.first || x == s.end - 1 || !covers(y - 1, x) || !covers(y + 1, x);
            if (edge)
                stamp(x, y);
            alpha[static_cast<size_t>(y * W + x)] = params.darkness;
        }
    }

    // Cut out the window, which sits at size - offset in the shadow.
    const int ox = size - params.xOffset, oy = size - params.yOffset;
    for (int y = 0; y < rows; ++y) {
        const ShadowSpan& s = spans[static_cast<size_t>(y)];
        int sy = y + oy;
        if (sy < 0 || sy >= H)
            continue;
        for (int x = std::max(0, s.first + ox); x < std::min(W, s.end + ox); ++x)
            alpha[static_cast<size_t>(sy * W + x)] = 0;
    }
    for (size_t i = 0; i < pixels.size(); ++i)
        pixels[i] = alpha[i] ? Premultiplied(params.colour, alpha[i]) : 0;
    return pixels;
}
