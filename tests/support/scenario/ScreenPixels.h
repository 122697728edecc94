#pragma once
// Test helper: what the user sees, read from the X server (DISPLAY): a
// rectangle of the root window as RGB pixels, and whole-screen PNG shots
// through ImageMagick's `import`. Each call opens its own display
// connection; any thread.

#include <cstdint>
#include <string>
#include <vector>

namespace kelvara::test {

struct ScreenRect
{
    int x = 0;
    int y = 0;
    int width = 0;
    int height = 0;
};

class ScreenPixels
{
public:
    // The rectangle as it is on screen now; empty when there is no display
    // or the rectangle lies outside the screen.
    static ScreenPixels Grab(const ScreenRect& rect);

    bool Empty() const { return m_rgb.empty(); }
    int Width() const { return m_width; }
    int Height() const { return m_height; }
    // 0xRRGGBB at x, y of the rectangle.
    uint32_t At(int x, int y) const { return m_rgb[static_cast<size_t>(y * m_width + x)]; }

    // Mean absolute difference per colour channel (0 to 255) against a grab
    // of the same size; 255 when the sizes differ.
    double MeanDifference(const ScreenPixels& other) const;
    // Standard deviation of the grey level: about 0 for a flat area, large
    // for a picture or text.
    double GreyDeviation() const;
    // Mean grey level, 0 to 255.
    double MeanGrey() const;
    // Brightest minus darkest grey level: how well text stands out.
    int GreyRange() const;
    // Pixels whose grey level is above threshold.
    int CountBrighterThan(int threshold) const;

    // Saves the whole screen as a PNG file; false when `import` fails.
    static bool SaveScreenshot(const std::string& path);

private:
    int m_width = 0;
    int m_height = 0;
    std::vector<uint32_t> m_rgb;
};

}  // namespace kelvara::test
