#pragma once
// The distance between two circles, each through three clicked points
// (P0-P2 and P3-P5). The centre line joins the two circumcentres and exists
// only while both circles do.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveTwoCircles.h"

namespace kelvara {

class SFPrimitiveTwoCircles3 : public SFPrimitiveTwoCircles
{
public:
    SFPrimitiveTwoCircles3(float x, float y, float viewZoom, float scale, float viewOriginX,
        float viewOriginY, const sf::String& unit);

    std::string GetTypeName() const override { return "TwoCircles3"; }

protected:
    int PointsPerCircle() const override { return 3; }
    int OwnTool() const override { return kToolTwoCircles3; }
    bool CircleOf(int k, Circle& circle) const override;
    bool CentreLine(sf::Vector2f& from, sf::Vector2f& to) const override;
    bool IsPickable(int) const override { return true; }
};

}  // namespace kelvara
