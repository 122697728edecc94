#pragma once
// A circle through three clicked points. The shape holds the three points, a
// copy of the third and the 201 outline points of their circumcircle;
// vertices 3 and 4 are transparent so the jump to the outline does not show.
// The label shows the radius. Three collinear points have no circle: the
// last outline stays as it was and the result reads 0.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveCircle3 : public SFPrimitiveBase
{
public:
    SFPrimitiveCircle3(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Three Points Circle"; }
    // Vertices 0, 1, 2 in this order (vertex hits); then the label. No rim hit.
    HitRecord HitTest(float x, float y) override;
    // Clicks 2 and 3 fix points 1 and 2; the third click finishes.
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;

protected:
    // Regenerates the outline from the three defining vertices; leaves the
    // shape alone while they have no circumcircle.
    virtual void Rebuild();
    // The tool number whose moves drive the rubber band.
    virtual int OwnTool() const { return kToolCircle3; }
    // The three defining points coincide.
    bool PointsCoincide() const;
    // The circumcircle of the three defining points; false while they have
    // none.
    bool PointsCircle(sf::Vector2f& centre, float& radius) const;
    // The circle a rebuild draws: false, leaving the shape alone, while the
    // points are incomplete or have no circumcircle.
    bool CircleToDraw(sf::Vector2f& centre, float& radius) const;
    // Normal colour everywhere except the transparent joins 3 and 4.
    void ResetColors();

    bool m_highlighted = false;  // a hover test coloured something
};

}  // namespace kelvara
