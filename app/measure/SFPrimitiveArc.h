#pragma once
// An arc through three clicks: start, a point on the arc, end. Clicks, rubber
// band, hit test and drags are those of the three-point circle; the shape
// holds the three points, a copy of the third and the arc from one end to
// the other through the middle point. The label shows the arc length.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveCircle3.h"

namespace kelvara {

class SFPrimitiveArc : public SFPrimitiveCircle3
{
public:
    SFPrimitiveArc(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Arc"; }
    void Update() override;

protected:
    void Rebuild() override;
    int OwnTool() const override { return kToolArc; }

private:
    float m_sweep = 0.0f;  // radians, of the last arc drawn
};

}  // namespace kelvara
