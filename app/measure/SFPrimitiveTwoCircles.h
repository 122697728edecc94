#pragma once
// The distance between the centres of two circles. The defining clicks live
// in m_handles (shown as squares while selected), the two outlines in
// m_shape (circle 1 at vertices 0-200, a transparent join at 201 and 202,
// circle 2 at 203-403) and the red centre line, whose length is the
// distance, in m_auxiliary.
//
// This class is variant 1: centre and rim point of each circle (P0, P1 and
// P2, P3). SFPrimitiveTwoCircles2 and SFPrimitiveTwoCircles3 derive from it
// and describe their circles through the protected hooks; clicks, rubber
// band, hit test, drags, rebuild and Update are shared.
//
// A circle whose defining points have no circle (three collinear points)
// keeps the outline it had and has no centre line; the distance reads 0.
//
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveTwoCircles : public SFPrimitiveBase
{
public:
    SFPrimitiveTwoCircles(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "TwoCircles"; }
    // A defining point (handle hit, its index in vertex), then circle 1 and
    // circle 2 (body hit, part 0 or 1, near the centre or the outline), then
    // the label.
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;

protected:
    struct Circle
    {
        sf::Vector2f centre;
        float radius = 0.0f;
    };

    // Defining points per circle: 2, or 3 for the three-point variant.
    virtual int PointsPerCircle() const { return 2; }
    virtual int OwnTool() const { return kToolTwoCircles; }
    // Circle k (0 or 1) from its defining points, which must exist. False when
    // they have no circle.
    virtual bool CircleOf(int k, Circle& circle) const;
    // The ends of the centre line for the current points; false when there is
    // no line yet.
    virtual bool CentreLine(sf::Vector2f& from, sf::Vector2f& to) const;
    // Whether hovering defining point i picks it (variant 1: rim points only).
    virtual bool IsPickable(int point) const { return point % 2 == 1; }

    int PointCount() const { return static_cast<int>(m_handles.getVertexCount()); }
    sf::Vector2f Point(int i) const { return m_handles[static_cast<std::size_t>(i)].position; }

private:
    static constexpr int kSegment = 202;  // vertices per circle segment of the shape

    bool HasAllPoints(int k) const { return PointCount() >= (k + 1) * PointsPerCircle(); }
    // First shape vertex of circle k's segment (valid when m_hasOutline[k]).
    int SegmentStart(int k) const { return k == 1 && m_hasOutline[0] ? kSegment : 0; }
    // First and last outline vertex of circle k.
    int OutlineFirst(int k) const { return SegmentStart(k) + (k == 1 ? 1 : 0); }
    void Rebuild();
    void ResetColors();

    bool m_hasOutline[2] = {false, false};
    bool m_highlighted = false;  // a hover test coloured something
};

}  // namespace kelvara
