#include "app/measure/SFPrimitiveCircle3.h"

#include "app/measure/SFCircleGeometry.h"

namespace kelvara {

SFPrimitiveCircle3::SFPrimitiveCircle3(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::LineStrip, {x, y}, 2);
}

bool SFPrimitiveCircle3::PointsCoincide() const
{
    return m_shape[0].position == m_shape[1].position && m_shape[1].position == m_shape[2].position;
}

bool SFPrimitiveCircle3::PointsCircle(sf::Vector2f& centre, float& radius) const
{
    return Circumcircle(m_shape[0].position, m_shape[1].position, m_shape[2].position, centre, radius);
}

bool SFPrimitiveCircle3::CircleToDraw(sf::Vector2f& centre, float& radius) const
{
    if (m_shape.getVertexCount() < 3 || m_shape[1].position == m_shape[2].position)
        return false;
    return PointsCircle(centre, radius);
}

void SFPrimitiveCircle3::Rebuild()
{
    sf::Vector2f centre;
    float radius = 0.0f;
    if (!CircleToDraw(centre, radius))
        return;
    SetJoinedCircle(m_shape, 3, centre, radius, m_colorNormal);
}

void SFPrimitiveCircle3::ResetColors()
{
    ColorJoinedCircle(m_shape, 3, m_colorNormal);
    m_label.setFillColor(m_colorNormal);
}

void SFPrimitiveCircle3::Update()
{
    if (m_shape.getVertexCount() <= 2 || PointsCoincide())
        return;
    sf::Vector2f centre;
    float radius = 0.0f;
    const bool defined = PointsCircle(centre, radius);
    const float r = defined ? ToUnits(radius) : 0.0f;
    SetCircleResult(r);
}

HitRecord SFPrimitiveCircle3::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    // Hovering misses far more often than it hits: recolour the outline
    // only when an earlier test highlighted something.
    if (m_highlighted) {
        ResetColors();
        m_highlighted = false;
    }
    const int points = static_cast<int>(std::min<std::size_t>(m_shape.getVertexCount(), 3));
    if (!HitLeadingVertex(hit, p, points))
        HitLabel(hit, p);
    m_highlighted = hit.kind != kHitNone;
    return hit;
}

void SFPrimitiveCircle3::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        if (m_shape.getVertexCount() < 3) {
            m_shape[m_shape.getVertexCount() - 1].position = {x, y};
            m_shape.append(sf::Vertex({x, y}, m_colorNormal));
        } else {
            m_finished = true;
        }
    }
    Rebuild();
    Update();
}

void SFPrimitiveCircle3::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished) {
        if (tool == OwnTool()) {
            if (m_shape.getVertexCount() == 2) {
                m_shape[1].position = {x, y};
            } else {
                m_shape[2].position = {x, y};
                Rebuild();
            }
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (DragShapeVertex(hit, d, 3)) {
        Rebuild();
    } else {
        DragLabel(hit, d);
    }
    Update();
}

}  // namespace kelvara
