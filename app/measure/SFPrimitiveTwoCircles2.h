#pragma once
// The distance between two circles, each given by the two ends of a
// diameter (P0-P1 and P2-P3). The centre line joins the two midpoints and
// appears with the fourth point.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveTwoCircles.h"

namespace kelvara {

class SFPrimitiveTwoCircles2 : public SFPrimitiveTwoCircles
{
public:
    SFPrimitiveTwoCircles2(float x, float y, float viewZoom, float scale, float viewOriginX,
        float viewOriginY, const sf::String& unit);

    std::string GetTypeName() const override { return "TwoCircles2"; }

protected:
    int OwnTool() const override { return kToolTwoCircles2; }
    bool CircleOf(int k, Circle& circle) const override;
    bool CentreLine(sf::Vector2f& from, sf::Vector2f& to) const override;
    bool IsPickable(int) const override { return true; }
};

}  // namespace kelvara
