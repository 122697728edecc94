#pragma once
// Draws the scale bar into a picture's own pixels (for stills saved with the
// bar burned in): the same round length and label as on the preview, sized
// for the picture, in the chosen corner, white outlined in black so it reads
// on dark and bright pictures. The label is drawn with FreeType from a
// TrueType font file.
//
// Threads: any thread; a painter object is used by one thread at a time.

#include <cstdint>
#include <string>

namespace kelvara::capture {

class ScaleBarPainter
{
public:
    // fontPath: a TrueType/OpenType file; without a usable font the bar is
    // drawn without its label.
    explicit ScaleBarPainter(const std::string& fontPath);
    ~ScaleBarPainter();
    ScaleBarPainter(const ScaleBarPainter&) = delete;
    ScaleBarPainter& operator=(const ScaleBarPainter&) = delete;

    // bgra: width x height, B,G,R,A rows top first. unitsPerPixel and unit:
    // the picture's calibration; corner a ScaleBarCorner. Returns the bar's
    // length in pixels, 0 when nothing was drawn (no physical unit, a
    // picture too small).
    int Paint(uint8_t* bgra, int width, int height, double unitsPerPixel, int unit, int corner) const;

private:
    // Blends the label's glyphs at (x, baseline) in colour (grey level).
    void DrawText(uint8_t* bgra, int width, int height, const std::string& utf8, int x, int baseline,
        int pixelSize, uint8_t level) const;
    // Width of the label in pixels.
    int TextWidth(const std::string& utf8, int pixelSize) const;

    void* m_library = nullptr;  // FT_Library
    void* m_face = nullptr;  // FT_Face
};

}  // namespace kelvara::capture
