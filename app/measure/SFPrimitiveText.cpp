#include "app/measure/SFPrimitiveText.h"

namespace kelvara {

SFPrimitiveText::SFPrimitiveText(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::Lines, {x, y}, 2);
    m_label.setString("Hello world");
}

// The text measures nothing: a new calibration or view transform leaves the
// fixed label as it is.
void SFPrimitiveText::Update() { }

HitRecord SFPrimitiveText::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    const int vertex = FindVertex(m_shape, p);
    if (vertex >= 0) {
        hit.kind = kHitVertex;
        hit.vertex = vertex;
        m_shape[vertex].color = m_colorHighlight;
    } else if (IsOnSegment(m_shape[0].position, m_shape[1].position, p)) {
        hit.kind = kHitBody;
        SetColor(m_shape, m_colorHighlight);
    } else if (!HitLabel(hit, p)) {
        PaintAll(m_colorNormal);
    }
    return hit;
}

void SFPrimitiveText::OnMouseDown(float x, float y, int)
{
    if (m_finished)
        return;
    SetColor(m_shape, m_colorNormal);
    m_shape[1].position = {x, y};
    m_finished = true;
}

void SFPrimitiveText::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished) {
        if (tool == kToolText)
            m_shape[1].position = {x, y};
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    if (hit.kind == kHitLabel)
        m_label.setPosition(SavedPoint(hit, 0) + DragOffset(x, y, hit));
    else if (hit.kind == kHitVertex && hit.vertex >= 0 && hit.vertex < 2)
        m_shape[hit.vertex].position = {x, y};
}

}  // namespace kelvara
