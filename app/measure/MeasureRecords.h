#pragma once
// Plain records shared by the measurement primitives, the container and the
// result list: the measured values of one primitive, the outcome of a hover
// test, and the tool numbers of the measurement toolbar.

#include <cstdint>

namespace kelvara {

// The values of one measurement. Points are image coordinates (unscaled image
// pixels); the other values are in units (area in square units, angle as the
// class defines it). A field a class does not measure stays 0.
struct MeasureResult
{
    float centerX = 0.0f;
    float centerY = 0.0f;
    float startX = 0.0f;
    float startY = 0.0f;
    float endX = 0.0f;
    float endY = 0.0f;
    float radius = 0.0f;
    float area = 0.0f;
    float length = 0.0f;
    float angle = 0.0f;
    float distance = 0.0f;
    float width = 0.0f;
    float height = 0.0f;
};

// What a hover test found in HitRecord::kind.
enum HitKind : int32_t
{
    kHitNone = 0,
    kHitBody = 1,  // the shape as a whole (or a named part of it)
    kHitVertex = 2,  // a vertex of the shape, index in HitRecord::vertex
    kHitHandle = 3,  // a defining point kept among the handles
    kHitLabel = 4,
};

// The outcome of HitTest, kept by the container and handed back to the
// primitive's OnMouseMove so a drag can start from the positions saved here.
struct HitRecord
{
    int32_t index = -1;  // position in the container, filled by the container
    int32_t part = -1;  // which circle or line of a compound primitive
    int32_t kind = kHitNone;
    int32_t vertex = -1;  // shape or handle index for vertex and handle hits
    float mouseX = 0.0f;  // the view position that was tested
    float mouseY = 0.0f;
    float saved[20] = {};  // up to ten x/y pairs saved for dragging
};

// Tool numbers of the container's current tool. The primitive for a creation
// tool t (kToolPoint <= t <= kToolCalibration) is of kind t - 3.
enum MeasureTool : int32_t
{
    kToolNone = 0,
    kToolMove = 1,
    kToolDelete = 2,
    kToolPoint = 3,
    kToolLine = 4,
    kToolBrokenLine = 5,
    kToolRectangle = 6,
    kToolPolygon = 7,
    kToolCircle = 8,
    kToolCircle2 = 9,
    kToolCircle3 = 10,
    kToolArc = 11,
    kToolAngle = 12,
    kToolText = 13,
    kToolPerpendicular = 14,
    kToolCrosshair = 15,
    kToolCrosshair2 = 16,
    kToolParallel = 17,
    kToolConcentrical = 18,
    kToolTwoCircles = 19,
    kToolTwoCircles2 = 20,
    kToolTwoCircles3 = 21,
    kToolCalibration = 22,
};

}  // namespace kelvara
