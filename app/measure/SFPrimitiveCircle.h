#pragma once
// A circle by two clicks: the centre, then a point on the rim. The shape is
// the centre followed by the 201 outline points, so the strip also draws the
// radius to the point at angle 0. The label shows the radius.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveCircle : public SFPrimitiveBase
{
public:
    SFPrimitiveCircle(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Circle"; }
    // Centre: body hit with part -1; rim: body hit with part 0; then label.
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;

protected:
    void ScaleViewLengths(float factor) override;

private:
    void Rebuild();

    float m_radius = 0.0f;  // view pixels
    bool m_highlighted = false;  // a hover test coloured something
};

}  // namespace kelvara
