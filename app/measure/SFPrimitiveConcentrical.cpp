#include "app/measure/SFPrimitiveConcentrical.h"

namespace kelvara {

SFPrimitiveConcentrical::SFPrimitiveConcentrical(float x, float y, float viewZoom, float scale,
    float viewOriginX, float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::LineStrip, {x, y}, 1);
}

void SFPrimitiveConcentrical::Rebuild()
{
    const sf::Vector2f centre = m_shape[0].position;
    m_shape.resize(1);
    if (m_radius1 > 0.0f)
        AppendArc(m_shape, 0.0f, kTwoPi, centre, m_radius1, m_colorNormal);
    if (m_radius2 > 0.0f)
        AppendArc(m_shape, 0.0f, kTwoPi, centre, m_radius2, m_colorNormal);
}

void SFPrimitiveConcentrical::ScaleViewLengths(float factor)
{
    m_radius1 *= factor;
    m_radius2 *= factor;
}

void SFPrimitiveConcentrical::Update()
{
    if (m_shape.getVertexCount() <= 1)
        return;
    const float r1 = ToUnits(m_radius1);
    const float r2 = ToUnits(m_radius2);
    const sf::Vector2f centre = ToImage(m_shape[0].position);
    m_result.radius = r1;
    m_result.area = kPi * r1 * r1;
    m_result.length = kTwoPi * r1;
    m_result.centerX = centre.x;
    m_result.centerY = centre.y;
    sf::String label = ToLabelString(Format("R1: %.2f ", r1));
    label += m_unit;
    label += ToLabelString(Format("\nR2: %.2f ", r2));
    label += m_unit;
    m_label.setString(label);
}

HitRecord SFPrimitiveConcentrical::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    const sf::Vector2f centre = m_shape[0].position;
    const float distance = Distance(p, centre);
    // Hovering misses far more often than it hits: recolour the outline
    // only when an earlier test highlighted something.
    if (m_highlighted) {
        PaintAll(m_colorNormal);
        m_highlighted = false;
    }
    if (!HitCentre(hit, p) && !HitRing(hit, distance, m_radius1, 0) && !HitRing(hit, distance, m_radius2, 1))
        HitLabel(hit, p);
    m_highlighted = hit.kind != kHitNone;
    return hit;
}

void SFPrimitiveConcentrical::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        const float radius = Distance({x, y}, m_shape[0].position);
        if (m_radius1 == 0.0f)
            m_radius1 = radius;
        else if (m_radius2 == 0.0f)
            m_radius2 = radius;
        else
            m_finished = true;
    }
    Rebuild();
    Update();
}

void SFPrimitiveConcentrical::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    const sf::Vector2f p(x, y);
    if (!m_finished) {
        if (tool == kToolConcentrical) {
            const float radius = Distance(p, m_shape[0].position);
            if (m_radius2 == 0.0f)
                m_radius1 = radius;
            else if (m_radius1 > 0.0f)
                m_radius2 = radius;
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
            m_radius1 = Distance(p, m_shape[0].position);
        } else if (hit.part == 1) {
            m_radius2 = Distance(p, m_shape[0].position);
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
