#include "app/capture/ScaleBarPainter.h"

#include "app/measure/ScaleBar.h"

#include <ft2build.h>
#include FT_FREETYPE_H

#include <algorithm>
#include <cmath>
#include <vector>

namespace kelvara::capture {

namespace {

// Code points of a UTF-8 text (invalid bytes are skipped).
std::vector<uint32_t> CodePoints(const std::string& text)
{
    std::vector<uint32_t> points;
    for (size_t i = 0; i < text.size();) {
        const auto c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (length == 0 || i + length > text.size()) {
            ++i;
            continue;
        }
        uint32_t point = length == 1 ? c : c & (0x7F >> length);
        for (int k = 1; k < length; ++k)
            point = (point << 6) | (static_cast<unsigned char>(text[i + k]) & 0x3F);
        points.push_back(point);
        i += length;
    }
    return points;
}

void FillRect(uint8_t* bgra, int width, int height, int x0, int y0, int x1, int y1, uint8_t level)
{
    x0 = std::max(0, x0);
    y0 = std::max(0, y0);
    x1 = std::min(width, x1);
    y1 = std::min(height, y1);
    for (int y = y0; y < y1; ++y) {
        uint8_t* p = bgra + (static_cast<size_t>(y) * width + x0) * 4;
        for (int x = x0; x < x1; ++x, p += 4)
            p[0] = p[1] = p[2] = level;
    }
}

}  // namespace

ScaleBarPainter::ScaleBarPainter(const std::string& fontPath)
{
    FT_Library library = nullptr;
    if (FT_Init_FreeType(&library) != 0)
        return;
    m_library = library;
    FT_Face face = nullptr;
    if (!fontPath.empty() && FT_New_Face(library, fontPath.c_str(), 0, &face) == 0)
        m_face = face;
}

ScaleBarPainter::~ScaleBarPainter()
{
    if (m_face)
        FT_Done_Face(static_cast<FT_Face>(m_face));
    if (m_library)
        FT_Done_FreeType(static_cast<FT_Library>(m_library));
}

int ScaleBarPainter::TextWidth(const std::string& utf8, int pixelSize) const
{
    auto face = static_cast<FT_Face>(m_face);
    if (!face || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
        return 0;
    long advance = 0;
    for (uint32_t point : CodePoints(utf8)) {
        if (FT_Load_Char(face, point, FT_LOAD_DEFAULT) == 0)
            advance += face->glyph->advance.x;
    }
    return static_cast<int>(advance >> 6);
}

void ScaleBarPainter::DrawText(uint8_t* bgra, int width, int height, const std::string& utf8, int x,
    int baseline, int pixelSize, uint8_t level) const
{
    auto face = static_cast<FT_Face>(m_face);
    if (!face || FT_Set_Pixel_Sizes(face, 0, static_cast<FT_UInt>(pixelSize)) != 0)
        return;
    long penX = static_cast<long>(x) << 6;
    for (uint32_t point : CodePoints(utf8)) {
        if (FT_Load_Char(face, point, FT_LOAD_RENDER) != 0)
            continue;
        const FT_GlyphSlot glyph = face->glyph;
        const FT_Bitmap& bitmap = glyph->bitmap;
        const int left = static_cast<int>(penX >> 6) + glyph->bitmap_left;
        const int top = baseline - glyph->bitmap_top;
        for (unsigned row = 0; row < bitmap.rows; ++row) {
            const int y = top + static_cast<int>(row);
            if (y < 0 || y >= height)
                continue;
            for (unsigned column = 0; column < bitmap.width; ++column) {
                const int px = left + static_cast<int>(column);
                if (px < 0 || px >= width)
                    continue;
                const unsigned coverage = bitmap.buffer[row * static_cast<unsigned>(bitmap.pitch) + column];
                uint8_t* p = bgra + (static_cast<size_t>(y) * width + px) * 4;
                for (int c = 0; c < 3; ++c)
                    p[c] = static_cast<uint8_t>((p[c] * (255 - coverage) + level * coverage) / 255);
            }
        }
        penX += glyph->advance.x;
    }
}

int ScaleBarPainter::Paint(
    uint8_t* bgra, int width, int height, double unitsPerPixel, int unit, int corner) const
{
    if (bgra == nullptr || width < 64 || height < 64)
        return 0;
    ScaleBarLength bar;
    if (!ChooseScaleBar(unitsPerPixel, unit, width / 5.0, &bar))
        return 0;
    const int length = static_cast<int>(std::lround(bar.picturePixels));
    // Sized for the picture: the preview's proportions on a 1000-pixel-wide view.
    const int unitSize = std::max(1, width / 1000);
    const int margin = 16 * unitSize;
    const int thickness = 6 * unitSize;
    const int outline = unitSize;
    const int fontSize = 18 * unitSize;
    const int gap = 4 * unitSize;
    if (length < 1 || length > width - 2 * margin)
        return 0;
    const auto where = static_cast<ScaleBarCorner>(corner);
    const bool atRight = where == ScaleBarCorner::kBottomRight || where == ScaleBarCorner::kTopRight;
    const bool atBottom = where == ScaleBarCorner::kBottomRight || where == ScaleBarCorner::kBottomLeft;
    const int textHeight = fontSize + 4 * unitSize;
    const int x = atRight ? width - margin - length : margin;
    const int y = atBottom ? height - margin - thickness : margin + textHeight + gap;

    FillRect(bgra, width, height, x - outline, y - outline, x + length + outline, y + thickness + outline, 0);
    FillRect(bgra, width, height, x, y, x + length, y + thickness, 255);
    if (m_face) {
        const int textX = x + (length - TextWidth(bar.label, fontSize)) / 2;
        const int baseline = y - gap - textHeight / 5;
        // The outline: the label in black around, then in white.
        const int o = std::max(1, 2 * unitSize);
        for (int dy = -o; dy <= o; dy += o) {
            for (int dx = -o; dx <= o; dx += o) {
                if (dx != 0 || dy != 0)
                    DrawText(bgra, width, height, bar.label, textX + dx, baseline + dy, fontSize, 0);
            }
        }
        DrawText(bgra, width, height, bar.label, textX, baseline, fontSize, 255);
    }
    return length;
}

}  // namespace kelvara::capture
