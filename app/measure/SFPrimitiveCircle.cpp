#include "app/measure/SFPrimitiveCircle.h"

namespace kelvara {

SFPrimitiveCircle::SFPrimitiveCircle(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::LineStrip, {x, y}, 1);
}

void SFPrimitiveCircle::Rebuild()
{
    const sf::Vector2f centre = m_shape[0].position;
    const sf::Color centreColor = m_shape[0].color;
    m_shape.resize(1);
    m_shape[0].color = centreColor;
    AppendArc(m_shape, 0.0f, kTwoPi, centre, m_radius, m_colorNormal);
}

void SFPrimitiveCircle::ScaleViewLengths(float factor)
{
    m_radius *= factor;
}

void SFPrimitiveCircle::Update()
{
    if (m_shape.getVertexCount() <= 1)
        return;
    const float r = ToUnits(Distance(m_shape[1].position, m_shape[0].position));
    SetCircleResult(r);
}

HitRecord SFPrimitiveCircle::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    const sf::Vector2f centre = m_shape[0].position;
    // Hovering misses far more often than it hits: recolour the outline
    // only when an earlier test highlighted something.
    if (m_highlighted) {
        PaintAll(m_colorNormal);
        m_highlighted = false;
    }
    if (!HitCentre(hit, p) && !HitRing(hit, Distance(p, centre), m_radius, 0))
        HitLabel(hit, p);
    m_highlighted = hit.kind != kHitNone;
    return hit;
}

void SFPrimitiveCircle::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        m_radius = Distance({x, y}, m_shape[0].position);
        Rebuild();
        m_finished = true;
    }
    Update();
}

void SFPrimitiveCircle::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    const sf::Vector2f p(x, y);
    if (!m_finished) {
        if (tool == kToolCircle) {
            m_radius = Distance(p, m_shape[0].position);
            Rebuild();
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (hit.kind == kHitBody) {
        if (hit.part == 0) {
            m_radius = Distance(p, m_shape[0].position);
        } else {
            DragCentre(hit, d);
        }
        Rebuild();
    } else {
        DragLabel(hit, d);
    }
    Update();
}

}  // namespace kelvara
