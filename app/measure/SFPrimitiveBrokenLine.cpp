#include "app/measure/SFPrimitiveBrokenLine.h"

namespace kelvara {

SFPrimitiveBrokenLine::SFPrimitiveBrokenLine(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::LineStrip, {x, y}, 2);
}

void SFPrimitiveBrokenLine::Update()
{
    float total = 0.0f;
    for (std::size_t i = 0; i + 1 < m_shape.getVertexCount(); ++i)
        total += Distance(m_shape[i].position, m_shape[i + 1].position);
    m_result.length = ToUnits(total);
    SetLabelWithUnit(Format("L: %.2f", m_result.length));
}

HitRecord SFPrimitiveBrokenLine::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    if (!HitShapeVertex(hit, p) && !HitLabel(hit, p))
        PaintAll(m_colorNormal);
    return hit;
}

void SFPrimitiveBrokenLine::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        const std::size_t last = m_shape.getVertexCount() - 1;
        m_shape[last - 1].color = m_colorNormal;
        m_shape[last].color = m_colorNormal;
        m_shape[last].position = {x, y};
        // The new last vertex is the rubber band.
        m_shape.append(sf::Vertex({x, y}, m_colorNormal));
    }
    Update();
}

void SFPrimitiveBrokenLine::OnRightButtonDown(float, float, int)
{
    if (!m_finished && m_shape.getVertexCount() > 2) {
        m_shape[m_shape.getVertexCount() - 1].color = m_colorNormal;
        m_finished = true;
    }
    Update();
}

void SFPrimitiveBrokenLine::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    MoveFreeVertices(x, y, tool, pressed, hit, kToolBrokenLine);
}

}  // namespace kelvara
