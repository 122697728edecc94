#include "app/measure/SFPrimitiveCrosshair.h"

namespace kelvara {

void PlaceCrosshair(sf::VertexArray& vertices, std::size_t first, sf::Vector2f c)
{
    vertices[first].position = {0.0f, c.y};
    vertices[first + 1].position = {8000.0f, c.y};
    vertices[first + 2].position = {c.x, 0.0f};
    vertices[first + 3].position = {c.x, 6000.0f};
}

SFPrimitiveCrosshair::SFPrimitiveCrosshair(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    m_shape.setPrimitiveType(sf::Lines);
    m_shape.resize(4);
    SetColor(m_shape, m_colorNormal);
    PlaceCrosshair(m_shape, 0, {x, y});
}

void SFPrimitiveCrosshair::Update()
{
    const sf::Vector2f centre = ToImage({m_shape[2].position.x, m_shape[0].position.y});
    m_result.centerX = centre.x;
    m_result.centerY = centre.y;
}

HitRecord SFPrimitiveCrosshair::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    if (IsNear({m_shape[2].position.x, m_shape[0].position.y}, {x, y})) {
        hit.kind = kHitBody;
        SetColor(m_shape, m_colorHighlight);
    } else {
        PaintAll(m_colorNormal);
    }
    return hit;
}

void SFPrimitiveCrosshair::OnMouseDown(float, float, int)
{
    m_finished = true;
    Update();
}

void SFPrimitiveCrosshair::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished) {
        if (tool == kToolCrosshair) {
            PlaceCrosshair(m_shape, 0, {x, y});
            Update();
        }
        return;
    }
    if (tool == kToolMove && pressed && hit.kind == kHitBody) {
        PlaceCrosshair(m_shape, 0, {x, y});
        Update();
    }
}

}  // namespace kelvara
