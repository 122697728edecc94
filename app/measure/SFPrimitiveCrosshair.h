#pragma once
// A crosshair marking a point: a horizontal line (V0-V1) and a vertical line
// (V2-V3) spanning 8000 by 6000 view pixels from the control's origin, longer
// than any view. Created at a click, it follows the mouse until the next
// click fixes it. It has no label text; the result holds the centre.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

// The four vertices of a crosshair centred on c, from vertex first on.
void PlaceCrosshair(sf::VertexArray& vertices, std::size_t first, sf::Vector2f c);

class SFPrimitiveCrosshair : public SFPrimitiveBase
{
public:
    SFPrimitiveCrosshair(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Crosshair"; }
    // Near the centre: body hit, vertex -1. Nothing else is hit.
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;
};

}  // namespace kelvara
