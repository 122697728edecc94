#pragma once
// Checks that nothing a primitive shows or reports holds NaN or infinity.

#include "app/measure/SFPrimitiveBase.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>

namespace kelvara::test {

inline ::testing::AssertionResult ArrayIsFinite(const sf::VertexArray& vertices, const char* name)
{
    for (std::size_t i = 0; i < vertices.getVertexCount(); ++i) {
        const sf::Vector2f p = vertices[i].position;
        if (!std::isfinite(p.x) || !std::isfinite(p.y))
            return ::testing::AssertionFailure() << name << " vertex " << i << " is " << p.x << "," << p.y;
    }
    return ::testing::AssertionSuccess();
}

// Shape, auxiliary, handles, label position and text, and every result field.
inline ::testing::AssertionResult IsAllFinite(const SFPrimitiveBase& primitive)
{
    if (auto r = ArrayIsFinite(primitive.GetShape(), "shape"); !r)
        return r;
    if (auto r = ArrayIsFinite(primitive.GetAuxiliary(), "auxiliary"); !r)
        return r;
    if (auto r = ArrayIsFinite(primitive.GetHandleMarks(), "handles"); !r)
        return r;
    const sf::Vector2f label = primitive.GetLabel().getPosition();
    if (!std::isfinite(label.x) || !std::isfinite(label.y))
        return ::testing::AssertionFailure() << "label position";
    const std::string text = primitive.GetLabel().getString().toAnsiString();
    if (text.find("nan") != std::string::npos || text.find("inf") != std::string::npos)
        return ::testing::AssertionFailure() << "label text " << text;
    const MeasureResult& m = primitive.GetResult();
    const float fields[] = {m.centerX, m.centerY, m.startX, m.startY, m.endX, m.endY, m.radius, m.area,
        m.length, m.angle, m.distance, m.width, m.height};
    for (float f : fields) {
        if (!std::isfinite(f))
            return ::testing::AssertionFailure() << "result field " << f;
    }
    return ::testing::AssertionSuccess();
}

}  // namespace kelvara::test
