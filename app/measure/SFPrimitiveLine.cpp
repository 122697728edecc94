#include "app/measure/SFPrimitiveLine.h"

namespace kelvara {

SFPrimitiveLine::SFPrimitiveLine(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::Lines, {x, y}, 2);
}

void SFPrimitiveLine::Update()
{
    const sf::Vector2f a = m_shape[0].position;
    const sf::Vector2f b = m_shape[1].position;
    m_result.length = ToUnits(Distance(a, b));
    const sf::Vector2f start = ToImage(a);
    const sf::Vector2f end = ToImage(b);
    m_result.startX = start.x;
    m_result.startY = start.y;
    m_result.endX = end.x;
    m_result.endY = end.y;
    SetLabelWithUnit(Format("L: %.2f", m_result.length));
}

HitRecord SFPrimitiveLine::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    if (HitShapeVertex(hit, p))
        return hit;
    if (IsOnSegment(m_shape[0].position, m_shape[1].position, p)) {
        hit.kind = kHitBody;
        SetColor(m_shape, m_colorHighlight);
        SavePoint(hit, 0, m_shape[0].position);
        SavePoint(hit, 1, m_shape[1].position);
        SavePoint(hit, 2, m_label.getPosition());
    } else if (!HitLabel(hit, p)) {
        PaintAll(m_colorNormal);
    }
    return hit;
}

void SFPrimitiveLine::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        SetColor(m_shape, m_colorNormal);
        m_shape[1].position = {x, y};
        m_finished = true;
    }
    Update();
}

void SFPrimitiveLine::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished) {
        if (tool == kToolLine) {
            m_shape[1].position = {x, y};
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (hit.kind == kHitVertex && hit.vertex >= 0 && hit.vertex < 2) {
        m_shape[hit.vertex].position = SavedPoint(hit, 0) + d;
    } else if (hit.kind == kHitBody) {
        m_shape[0].position = SavedPoint(hit, 0) + d;
        m_shape[1].position = SavedPoint(hit, 1) + d;
        m_label.setPosition(SavedPoint(hit, 2) + d);
    } else {
        DragLabel(hit, d);
    }
    Update();
}

}  // namespace kelvara
