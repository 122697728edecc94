#pragma once
// An angle by three clicks: the end of the first arm, the apex, the end of
// the second arm. The label, below the apex, shows the angle in degrees.
// While an arm has zero length the angle is undefined and reads 0.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveAngle : public SFPrimitiveBase
{
public:
    SFPrimitiveAngle(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Angle"; }
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;
};

}  // namespace kelvara
