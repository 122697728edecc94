#pragma once
// Two parallel lines and the distance between them, by four clicks: first
// line start and end, second line start and end (the last end is held
// parallel to the first line). The shape (separate lines) is V0-V1 and
// V2-V3; m_auxiliary holds the red distance segment from the first line's
// midpoint to its foot on the second line. While the second line has zero
// length the segment stays as it was and the distance reads 0.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveParallel : public SFPrimitiveBase
{
public:
    SFPrimitiveParallel(float x, float y, float viewZoom, float scale, float viewOriginX, float viewOriginY,
        const sf::String& unit);

    std::string GetTypeName() const override { return "Parallel"; }
    // A vertex (vertex hit), then the first and the second line (body hit,
    // part 0 or 1), then the label.
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    // Dragging a vertex pivots its line about the other end and turns the
    // opposite line to stay parallel.
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;

private:
    void RebuildDistance();
    sf::Vector2f At(int i) const { return m_shape[static_cast<std::size_t>(i)].position; }
    void Set(int i, sf::Vector2f p) { m_shape[static_cast<std::size_t>(i)].position = p; }
};

}  // namespace kelvara
