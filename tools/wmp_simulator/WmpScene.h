#pragma once
// The picture a simulated wireless camera sees: a stage micrometer (a scale
// line with a tick every kTickPitch scene units, longer ticks every 5th and
// 10th) lying over a stained, textured specimen. The scene is 640 units
// wide whatever the resolution, so a still at a higher resolution shows the
// same field of view in more detail. Not thread-safe; one owner.

#include <cstdint>
#include <vector>

namespace kelvara::wmp {

// Camera controls that change the picture, in the units of the camera's
// control table.
struct SceneAdjust
{
    int brightness = 0;  // -64..64, added
    int contrast = 50;  // 0..100, 50 = neutral
    int saturation = 50;  // 0..100, 50 = neutral, 0 = grey
    int gammaX100 = 100;  // 100..300
    int gain = 0;  // 0..100, percent added to the signal
    int temperature = 5000;  // 2800..6500 K; lower is bluer (camera compensates)
    int exposure = 100;  // 1..1000, 100 = nominal
};

class WmpScene
{
public:
    static constexpr double kUnitsWide = 640.0;
    static constexpr double kTickPitch = 10.0;
    // Extra pixels rendered on each side so the picture can drift.
    static constexpr int kMargin = 16;

    // Renders the canvas for frames of width x height (slow: once per size).
    void Prepare(int width, int height);

    // Top-left of the frame at `seconds` inside the canvas (B, G, R, A
    // bytes per pixel, rows of Stride() bytes): a slow drift of a few pixels.
    const uint8_t* Frame(double seconds) const;
    int Stride() const { return m_canvasWidth * 4; }
    int Width() const { return m_width; }
    int Height() const { return m_height; }

    // Renders one picture of width x height without drift into `bgra`
    // (width * 4 bytes per row).
    static void Render(int width, int height, std::vector<uint8_t>* bgra);

    // Applies the camera controls to a picture (cheap: once per frame).
    // source and target may be the same.
    static void Adjust(const uint8_t* source, int sourceStride, int width, int height,
        const SceneAdjust& adjust, uint8_t* target, int targetStride);

private:
    static void RenderInto(int width, int height, int originX, int originY, double unitsPerPixel,
        uint8_t* bgra, int stride, int rows, int columns);

    int m_width = 0;
    int m_height = 0;
    int m_canvasWidth = 0;
    std::vector<uint8_t> m_canvas;
};

}  // namespace kelvara::wmp
