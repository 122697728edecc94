#include "app/measure/SFPrimitivePoint.h"

namespace kelvara {

SFPrimitivePoint::SFPrimitivePoint(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    m_shape.setPrimitiveType(sf::Points);
    m_shape.append(sf::Vertex({x, y}, m_colorNormal));
    m_label.setPosition(x + 5.0f, y + 5.0f);
    m_finished = true;
    Update();
}

void SFPrimitivePoint::Update()
{
    const sf::Vector2f centre = ToImage(m_shape[0].position);
    m_result.centerX = centre.x;
    m_result.centerY = centre.y;
    m_label.setString(ToLabelString(Format("(%.1f,%.1f)", centre.x, centre.y)));
}

HitRecord SFPrimitivePoint::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    if (HitCentre(hit, p))
        hit.vertex = 0;
    else if (!HitLabel(hit, p))
        PaintAll(m_colorNormal);
    return hit;
}

void SFPrimitivePoint::OnMouseDown(float, float, int)
{
    m_finished = true;
    Update();
}

void SFPrimitivePoint::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished || tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (hit.kind == kHitLabel) {
        m_label.setPosition(SavedPoint(hit, 0) + d);
    } else if (hit.kind == kHitBody && hit.vertex == 0) {
        DragCentre(hit, d);
    }
    Update();
}

}  // namespace kelvara
