#pragma once
// A circle by the two ends of a diameter. The shape holds the two ends, a
// copy of the second end and the 201 outline points about their midpoint;
// vertices 2 and 3 are transparent so the jump from the diameter to the
// outline does not show. The label shows the radius.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveCircle2 : public SFPrimitiveBase
{
public:
    SFPrimitiveCircle2(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Two Points Circle"; }
    // Vertex 0, then vertex 1 (vertex hits); then the label.
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;

private:
    void Rebuild();
    // Normal colour everywhere except the transparent joins.
    void ResetColors();
    bool m_highlighted = false;  // a hover test coloured something
};

}  // namespace kelvara
