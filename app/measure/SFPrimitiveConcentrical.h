#pragma once
// Two circles about one centre, by three clicks: the centre, the first
// circle, the second circle. The shape is the centre followed by the outline
// of each circle whose radius is set. The label shows both radii on two
// lines; the result holds the first circle.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveConcentrical : public SFPrimitiveBase
{
public:
    SFPrimitiveConcentrical(float x, float y, float viewZoom, float scale, float viewOriginX,
        float viewOriginY, const sf::String& unit);

    std::string GetTypeName() const override { return "Concentrical"; }
    // Centre: body hit with part -1; first rim: part 0; second rim: part 1;
    // then the label.
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;

protected:
    void ScaleViewLengths(float factor) override;

private:
    void Rebuild();

    float m_radius1 = 0.0f;  // view pixels
    float m_radius2 = 0.0f;  // view pixels
    bool m_highlighted = false;  // a hover test coloured something
};

}  // namespace kelvara
