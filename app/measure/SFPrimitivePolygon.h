#pragma once
// A closed polygon clicked vertex by vertex and finished by the right button;
// its label shows the area. From three vertices on, the last vertex is a copy
// of vertex 0 and the one before it follows the mouse.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitivePolygon : public SFPrimitiveBase
{
public:
    SFPrimitivePolygon(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Polygon"; }
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void OnRightButtonDown(float x, float y, int tool) override;
    void Update() override;
};

}  // namespace kelvara
