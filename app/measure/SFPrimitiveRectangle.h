#pragma once
// An axis-aligned rectangle from two opposite corners; its label shows the
// area. The outline is closed: vertex 4 repeats vertex 0.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveRectangle : public SFPrimitiveBase
{
public:
    SFPrimitiveRectangle(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Rectangle"; }
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;
};

}  // namespace kelvara
