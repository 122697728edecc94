#include "app/measure/SFPrimitiveRectangle.h"

#include <cmath>

namespace kelvara {

namespace {

// Places the corner opposite vertex 0 and the two corners between them.
void SetOppositeCorner(sf::VertexArray& shape, sf::Vector2f p)
{
    shape[2].position = p;
    shape[1].position = {p.x, shape[0].position.y};
    shape[3].position = {shape[0].position.x, p.y};
    shape[4].position = shape[0].position;
}

}  // namespace

SFPrimitiveRectangle::SFPrimitiveRectangle(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    m_shape.setPrimitiveType(sf::LineStrip);
    for (int i = 0; i < 5; ++i)
        m_shape.append(sf::Vertex({x, y}, m_colorNormal));
    m_label.setPosition(x, y + 5.0f);
}

void SFPrimitiveRectangle::Update()
{
    const sf::Vector2f v0 = m_shape[0].position;
    const sf::Vector2f v1 = m_shape[1].position;
    const sf::Vector2f v2 = m_shape[2].position;
    m_result.area = ToSquareUnits(std::fabs(v0.y - v2.y) * std::fabs(v0.x - v2.x));
    m_result.width = ToUnits(Distance(v0, v1));
    m_result.height = ToUnits(Distance(v1, v2));
    m_result.length = 2.0f * (m_result.width + m_result.height);
    SetLabelWithUnit(Format("S: %.4f", m_result.area), true);
}

HitRecord SFPrimitiveRectangle::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    const int vertex = FindVertex(m_shape, p);
    if (vertex >= 0) {
        hit.kind = kHitVertex;
        hit.vertex = vertex;
        if (vertex == 0 || vertex == 4) {
            m_shape[0].color = m_colorHighlight;
            m_shape[4].color = m_colorHighlight;
        } else {
            m_shape[vertex].color = m_colorHighlight;
        }
        SavePoint(hit, 0, m_shape[vertex].position);
    } else if (!HitLabel(hit, p)) {
        PaintAll(m_colorNormal);
    }
    return hit;
}

void SFPrimitiveRectangle::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        SetOppositeCorner(m_shape, {x, y});
        m_finished = true;
    }
    Update();
}

void SFPrimitiveRectangle::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished) {
        if (tool == kToolRectangle) {
            SetOppositeCorner(m_shape, {x, y});
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (hit.kind == kHitLabel) {
        m_label.setPosition(SavedPoint(hit, 0) + d);
    } else if (hit.kind == kHitVertex) {
        // Moving one corner drags its two neighbours along one axis each, so
        // the outline stays an axis-aligned rectangle.
        const sf::Vector2f p = SavedPoint(hit, 0) + d;
        switch (hit.vertex) {
        case 0:
        case 4:
            m_shape[0].position = p;
            m_shape[4].position = p;
            m_shape[1].position.y = p.y;
            m_shape[3].position.x = p.x;
            break;
        case 1:
            m_shape[1].position = p;
            m_shape[0].position.y = p.y;
            m_shape[4].position.y = p.y;
            m_shape[2].position.x = p.x;
            break;
        case 2:
            m_shape[2].position = p;
            m_shape[1].position.x = p.x;
            m_shape[3].position.y = p.y;
            break;
        case 3:
            m_shape[3].position = p;
            m_shape[2].position.y = p.y;
            m_shape[0].position.x = p.x;
            m_shape[4].position.x = p.x;
            break;
        default:
            break;
        }
    }
    Update();
}

}  // namespace kelvara
