#pragma once
// Two crosshairs and the width and height between their centres, by three
// clicks: create, fix crosshair 0, fix crosshair 1. The shape (separate
// lines) is crosshair 0 (V0-V1 horizontal, V2-V3 vertical) and crosshair 1
// (V4-V5, V6-V7). Each of the four lines can be dragged on its own.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveCrosshair2 : public SFPrimitiveBase
{
public:
    SFPrimitiveCrosshair2(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Crosshair2"; }
    // A centre within 10 (vertex hit; vertex = crosshair 0 or 1), then a line
    // within 5 (body hit; vertex = line 0 to 3: V0-V1, V2-V3, V4-V5, V6-V7),
    // then the label.
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;

private:
    // Centre of crosshair k: (x of its vertical line, y of its horizontal line).
    sf::Vector2f Centre(int k) const;
};

}  // namespace kelvara
