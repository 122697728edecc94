#include "app/measure/SFPrimitiveCircle2.h"

namespace kelvara {

SFPrimitiveCircle2::SFPrimitiveCircle2(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    m_shape.setPrimitiveType(sf::LineStrip);
    m_shape.append(sf::Vertex({x, y}, m_colorNormal));
    m_shape.append(sf::Vertex({x, y}, m_colorNormal));
    m_label.setPosition(x, y + 5.0f);
}

void SFPrimitiveCircle2::Rebuild()
{
    const sf::Vector2f a = m_shape[0].position;
    const sf::Vector2f b = m_shape[1].position;
    const sf::Vector2f middle = (a + b) / 2.0f;
    m_shape.resize(2);
    m_shape.append(sf::Vertex(b, m_colorNormal));
    AppendArc(m_shape, 0.0f, kTwoPi, middle, Distance(a, middle), m_colorNormal);
    if (m_shape.getVertexCount() > 4) {
        m_shape[2].color = sf::Color::Transparent;
        m_shape[3].color = sf::Color::Transparent;
    }
}

void SFPrimitiveCircle2::ResetColors()
{
    const std::size_t count = m_shape.getVertexCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (count <= 4 || (i != 2 && i != 3))
            m_shape[i].color = m_colorNormal;
    }
    m_label.setFillColor(m_colorNormal);
}

void SFPrimitiveCircle2::Update()
{
    const float r = ToUnits(Distance(m_shape[0].position, m_shape[1].position) / 2.0f);
    m_result.radius = r;
    m_result.area = kPi * r * r;
    m_result.length = kTwoPi * r;
    SetLabelWithUnit(Format("R: %.2f", r));
}

HitRecord SFPrimitiveCircle2::HitTest(float x, float y)
{
    HitRecord hit;
    hit.mouseX = x;
    hit.mouseY = y;
    const sf::Vector2f p(x, y);
    // Hovering misses far more often than it hits: recolour the outline
    // only when an earlier test highlighted something.
    if (m_highlighted) {
        ResetColors();
        m_highlighted = false;
    }
    for (int i = 0; i < 2; ++i) {
        if (IsNear(m_shape[i].position, p)) {
            hit.kind = kHitVertex;
            hit.vertex = i;
            m_shape[i].color = m_colorHighlight;
            SavePoint(hit, 0, m_shape[i].position);
            m_highlighted = true;
            return hit;
        }
    }
    if (IsOnLabel(p)) {
        hit.kind = kHitLabel;
        m_label.setFillColor(m_colorHighlight);
        SavePoint(hit, 0, m_label.getPosition());
    }
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
    if (hit.kind == kHitVertex && (hit.vertex == 0 || hit.vertex == 1)) {
        m_shape[hit.vertex].position = SavedPoint(hit, 0) + d;
        Rebuild();
    } else if (hit.kind == kHitLabel) {
        m_label.setPosition(SavedPoint(hit, 0) + d);
    }
    Update();
}

}  // namespace kelvara
