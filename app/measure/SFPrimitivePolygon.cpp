#include "app/measure/SFPrimitivePolygon.h"

#include <cmath>

namespace kelvara {

SFPrimitivePolygon::SFPrimitivePolygon(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::LineStrip, {x, y}, 2);
}

void SFPrimitivePolygon::Update()
{
    // Shoelace sum over the outline, closed back to vertex 0.
    const std::size_t n = m_shape.getVertexCount();
    float sum = 0.0f;
    for (std::size_t i = 0; i + 1 < n; ++i) {
        const sf::Vector2f a = m_shape[i].position;
        const sf::Vector2f b = m_shape[i + 1].position;
        sum += (a.x - b.x) * (a.y + b.y) / 2.0f;
    }
    const sf::Vector2f first = m_shape[0].position;
    const sf::Vector2f last = m_shape[n - 1].position;
    sum += (last.x - first.x) * (first.y + last.y) / 2.0f;
    m_result.area = ToSquareUnits(std::fabs(sum));
    SetLabelWithUnit(Format("S: %.4f", m_result.area), true);
}

HitRecord SFPrimitivePolygon::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    const int vertex = FindVertex(m_shape, p);
    const int last = static_cast<int>(m_shape.getVertexCount()) - 1;
    if (vertex >= 0) {
        hit.kind = kHitVertex;
        hit.vertex = vertex;
        m_shape[vertex].color = m_colorHighlight;
        if (vertex == 0 || vertex == last) {
            m_shape[0].color = m_colorHighlight;
            m_shape[last].color = m_colorHighlight;
        }
        SavePoint(hit, 0, m_shape[vertex].position);
    } else if (!HitLabel(hit, p)) {
        PaintAll(m_colorNormal);
    }
    return hit;
}

void SFPrimitivePolygon::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        const sf::Vertex closing(m_shape[0].position, m_colorNormal);
        if (m_shape.getVertexCount() < 3) {
            m_shape.append(sf::Vertex({x, y}, m_colorNormal));
            m_shape.append(closing);
        } else {
            m_shape.append(closing);
            m_shape[m_shape.getVertexCount() - 2].position = {x, y};
        }
    }
    Update();
}

void SFPrimitivePolygon::OnRightButtonDown(float, float, int)
{
    if (m_shape.getVertexCount() > 2)
        m_finished = true;
    Update();
}

void SFPrimitivePolygon::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    const std::size_t count = m_shape.getVertexCount();
    if (!m_finished) {
        if (tool == kToolPolygon) {
            // The vertex before the closing copy follows the mouse.
            m_shape[count < 3 ? count - 1 : count - 2].position = {x, y};
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    const int last = static_cast<int>(count) - 1;
    if (hit.kind == kHitVertex && hit.vertex >= 0 && hit.vertex <= last) {
        const sf::Vector2f p = SavedPoint(hit, 0) + d;
        if (hit.vertex == 0 || hit.vertex == last) {
            // Keep the outline closed.
            m_shape[0].position = p;
            m_shape[last].position = p;
        } else {
            m_shape[hit.vertex].position = p;
        }
    } else {
        DragLabel(hit, d);
    }
    Update();
}

}  // namespace kelvara
