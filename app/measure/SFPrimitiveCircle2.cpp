#include "app/measure/SFPrimitiveCircle2.h"

namespace kelvara {

SFPrimitiveCircle2::SFPrimitiveCircle2(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::LineStrip, {x, y}, 2);
}

void SFPrimitiveCircle2::Rebuild()
{
    const sf::Vector2f a = m_shape[0].position;
    const sf::Vector2f b = m_shape[1].position;
    const sf::Vector2f middle = (a + b) / 2.0f;
    SetJoinedCircle(m_shape, 2, middle, Distance(a, middle), m_colorNormal);
}

void SFPrimitiveCircle2::ResetColors()
{
    ColorJoinedCircle(m_shape, 2, m_colorNormal);
    m_label.setFillColor(m_colorNormal);
}

void SFPrimitiveCircle2::Update()
{
    const float r = ToUnits(Distance(m_shape[0].position, m_shape[1].position) / 2.0f);
    SetCircleResult(r);
}

HitRecord SFPrimitiveCircle2::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    // Hovering misses far more often than it hits: recolour the outline
    // only when an earlier test highlighted something.
    if (m_highlighted) {
        ResetColors();
        m_highlighted = false;
    }
    if (!HitLeadingVertex(hit, p, 2))
        HitLabel(hit, p);
    m_highlighted = hit.kind != kHitNone;
    return hit;
}

void SFPrimitiveCircle2::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        m_shape[1].position = {x, y};
        Rebuild();
        m_finished = true;
    }
    Update();
}

void SFPrimitiveCircle2::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished) {
        if (tool == kToolCircle2) {
            m_shape[1].position = {x, y};
            Rebuild();
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (DragShapeVertex(hit, d, 2)) {
        Rebuild();
    } else {
        DragLabel(hit, d);
    }
    Update();
}

}  // namespace kelvara
