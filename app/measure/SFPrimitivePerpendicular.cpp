#include "app/measure/SFPrimitivePerpendicular.h"

#include "app/measure/SFCircleGeometry.h"

namespace kelvara {

SFPrimitivePerpendicular::SFPrimitivePerpendicular(float x, float y, float viewZoom, float scale,
    float viewOriginX, float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::Lines, {x, y}, 2);
}

void SFPrimitivePerpendicular::PlaceFoot()
{
    sf::Vector2f foot;
    if (FootOnLine(m_shape[2].position, m_shape[0].position, m_shape[1].position, foot))
        m_shape[3].position = foot;
}

void SFPrimitivePerpendicular::Update()
{
    if (m_shape.getVertexCount() != 4)
        return;
    const bool hasLine = m_shape[0].position != m_shape[1].position;
    m_result.distance = hasLine ? ToUnits(Distance(m_shape[3].position, m_shape[2].position)) : 0.0f;
    SetLabelWithUnit(Format("D: %.2f", m_result.distance));
}

HitRecord SFPrimitivePerpendicular::HitTest(float x, float y)
{
    return HitVertexOrLabel(x, y);
}

void SFPrimitivePerpendicular::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        if (m_shape.getVertexCount() == 4) {
            m_finished = true;
        } else {
            m_shape[m_shape.getVertexCount() - 1].position = {x, y};
            m_shape.append(sf::Vertex({x, y}, m_colorNormal));
            // The foot starts on the point itself until the line has a length.
            m_shape.append(sf::Vertex({x, y}, m_colorNormal));
            PlaceFoot();
        }
    }
    Update();
}

void SFPrimitivePerpendicular::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished) {
        if (tool == kToolPerpendicular) {
            if (m_shape.getVertexCount() == 2) {
                m_shape[1].position = {x, y};
            } else {
                m_shape[2].position = {x, y};
                PlaceFoot();
            }
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (DragShapeVertex(hit, d, 4)) {
        PlaceFoot();
    } else {
        DragLabel(hit, d);
    }
    Update();
}

}  // namespace kelvara
