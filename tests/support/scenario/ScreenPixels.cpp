#include "tests/support/scenario/ScreenPixels.h"

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace kelvara::test {

namespace {

int Grey(uint32_t rgb)
{
    return static_cast<int>((((rgb >> 16) & 0xFF) * 3 + ((rgb >> 8) & 0xFF) * 6 + (rgb & 0xFF)) / 10);
}

}  // namespace

ScreenPixels ScreenPixels::Grab(const ScreenRect& rect)
{
    ScreenPixels pixels;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr)
        return pixels;
    const int screenWidth = DisplayWidth(display, DefaultScreen(display));
    const int screenHeight = DisplayHeight(display, DefaultScreen(display));
    if (rect.width <= 0 || rect.height <= 0 || rect.x < 0 || rect.y < 0 || rect.x + rect.width > screenWidth
        || rect.y + rect.height > screenHeight) {
        XCloseDisplay(display);
        return pixels;
    }
    XImage* image = XGetImage(display, DefaultRootWindow(display), rect.x, rect.y,
        static_cast<unsigned>(rect.width), static_cast<unsigned>(rect.height), AllPlanes, ZPixmap);
    if (image != nullptr) {
        pixels.m_width = rect.width;
        pixels.m_height = rect.height;
        pixels.m_rgb.resize(static_cast<size_t>(rect.width) * static_cast<size_t>(rect.height));
        for (int y = 0; y < rect.height; ++y)
            for (int x = 0; x < rect.width; ++x)
                pixels.m_rgb[static_cast<size_t>(y * rect.width + x)]
                    = static_cast<uint32_t>(XGetPixel(image, x, y) & 0xFFFFFF);
        XDestroyImage(image);
    }
    XCloseDisplay(display);
    return pixels;
}

double ScreenPixels::MeanDifference(const ScreenPixels& other) const
{
    if (other.m_width != m_width || other.m_height != m_height || m_rgb.empty())
        return 255.0;
    double sum = 0;
    for (size_t i = 0; i < m_rgb.size(); ++i)
        for (int shift : {0, 8, 16})
            sum += std::abs(static_cast<int>((m_rgb[i] >> shift) & 0xFF)
                - static_cast<int>((other.m_rgb[i] >> shift) & 0xFF));
    return sum / (3.0 * static_cast<double>(m_rgb.size()));
}

double ScreenPixels::MeanGrey() const
{
    if (m_rgb.empty())
        return 0;
    double sum = 0;
    for (uint32_t rgb : m_rgb)
        sum += Grey(rgb);
    return sum / static_cast<double>(m_rgb.size());
}

double ScreenPixels::GreyDeviation() const
{
    if (m_rgb.empty())
        return 0;
    const double mean = MeanGrey();
    double sum = 0;
    for (uint32_t rgb : m_rgb)
        sum += (Grey(rgb) - mean) * (Grey(rgb) - mean);
    return std::sqrt(sum / static_cast<double>(m_rgb.size()));
}

int ScreenPixels::GreyRange() const
{
    int darkest = 255, brightest = 0;
    for (uint32_t rgb : m_rgb) {
        darkest = std::min(darkest, Grey(rgb));
        brightest = std::max(brightest, Grey(rgb));
    }
    return m_rgb.empty() ? 0 : brightest - darkest;
}

int ScreenPixels::CountBrighterThan(int threshold) const
{
    int count = 0;
    for (uint32_t rgb : m_rgb)
        count += Grey(rgb) > threshold ? 1 : 0;
    return count;
}

bool ScreenPixels::SaveScreenshot(const std::string& path)
{
    return std::system(("import -window root '" + path + "' > /dev/null 2>&1").c_str()) == 0;
}

}  // namespace kelvara::test
