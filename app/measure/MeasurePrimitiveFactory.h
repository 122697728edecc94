#pragma once
// Makes the measurement primitive of a kind (kind = tool number - 3):
// 0 point, 1 line, 2 broken line, 3 rectangle, 4 polygon, 5 circle,
// 6 two-point circle, 7 three-point circle, 8 arc, 9 angle, 10 text,
// 11 perpendicular, 12 crosshair, 13 crosshair with size, 14 parallel,
// 15 concentric circles, 16-18 the distance-between-circles variants,
// 19 calibration line. Callable from any thread; the new primitive belongs
// to the caller.

#include "app/measure/SFPrimitiveBase.h"

#include <memory>

namespace kelvara {

constexpr int kPrimitiveKindCount = 20;

// The primitive of `kind` created at view position (x, y) with the given view
// transform and calibration; nullptr for a kind outside 0-19.
std::unique_ptr<SFPrimitiveBase> MakePrimitive(int kind, float x, float y, float viewZoom, float scale,
    float viewOriginX, float viewOriginY, const sf::String& unit);

}  // namespace kelvara
