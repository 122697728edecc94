#pragma once
// Small helpers that drive a measurement primitive the way the container does.

#include "app/measure/SFPrimitiveBase.h"

#include <string>

namespace kelvara::test {

inline std::string LabelText(const SFPrimitiveBase& primitive)
{
    return primitive.GetLabel().getString().toAnsiString();
}

inline sf::Vector2f Vertex(const SFPrimitiveBase& primitive, std::size_t i)
{
    return primitive.GetShape()[i].position;
}

inline sf::Color VertexColor(const SFPrimitiveBase& primitive, std::size_t i)
{
    return primitive.GetShape()[i].color;
}

// Hover at `from`, then drag with the move tool to `to`.
inline HitRecord Drag(SFPrimitiveBase& primitive, sf::Vector2f from, sf::Vector2f to)
{
    HitRecord hit = primitive.HitTest(from.x, from.y);
    primitive.OnMouseMove(to.x, to.y, kToolMove, true, hit);
    return hit;
}

// Rubber band to `p` with the class's own tool, then click there.
inline void MoveAndClick(SFPrimitiveBase& primitive, sf::Vector2f p, int tool)
{
    primitive.OnMouseMove(p.x, p.y, tool, false, HitRecord());
    primitive.OnMouseDown(p.x, p.y, tool);
}

}  // namespace kelvara::test
