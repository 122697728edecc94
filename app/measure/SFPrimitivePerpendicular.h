#pragma once
// The distance from a point to a line, by three clicks: line start, line
// end, the point. The shape (separate lines) is the line V0-V1 and the
// perpendicular from the point V2 to its foot V3. A line of zero length has
// no foot: the foot stays where it was and the distance reads 0.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitivePerpendicular : public SFPrimitiveBase
{
public:
    SFPrimitivePerpendicular(float x, float y, float viewZoom, float scale, float viewOriginX,
        float viewOriginY, const sf::String& unit);

    std::string GetTypeName() const override { return "Perpendicular Line"; }
    // Any of the four vertices (vertex hit), then the label. No line hit.
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;

private:
    // Puts vertex 3 on the foot of vertex 2, when the line has one.
    void PlaceFoot();
};

}  // namespace kelvara
