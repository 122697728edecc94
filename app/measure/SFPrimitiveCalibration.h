#pragma once
// The line laid over a known distance while calibrating: segment 0-1 with a
// tick across each end (2-3 at vertex 1, 4-5 at vertex 0), drawn in red. Its
// length is in image pixels, never scaled. Finished at creation.
// Threads: as SFPrimitiveBase (under the preview's lock).

#include "app/measure/SFPrimitiveBase.h"

namespace kelvara {

class SFPrimitiveCalibration : public SFPrimitiveBase
{
public:
    SFPrimitiveCalibration(float x, float y, float viewZoom, float scale, float viewOriginX,
        float viewOriginY, const sf::String& unit);

    std::string GetTypeName() const override { return "Calibration"; }
    HitRecord HitTest(float x, float y) override;
    void OnMouseDown(float x, float y, int tool) override;
    void OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit) override;
    void Update() override;

private:
    // Ticks 100 view pixels long across both ends, perpendicular to the
    // segment; a segment of length 0 keeps the ticks' previous direction.
    void RebuildTicks();
};

}  // namespace kelvara
