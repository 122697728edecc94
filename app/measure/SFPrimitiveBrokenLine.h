#pragma once
// An open polyline clicked vertex by vertex and finished by the right button;
// its label shows the total length.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveBrokenLine : public SFPrimitiveBase
{
public:
    SFPrimitiveBrokenLine(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Broken Line"; }
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void OnRightButtonDown(float x, float y, int tool) override;
    void Update() override;
};

}  // namespace kelvara
