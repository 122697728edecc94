#include "app/measure/SFPrimitiveCalibration.h"

namespace kelvara {

namespace {

constexpr float kTickHalfLength = 50.0f;

}  // namespace

SFPrimitiveCalibration::SFPrimitiveCalibration(float x, float y, float viewZoom, float scale,
    float viewOriginX, float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    m_shape.setPrimitiveType(sf::Lines);
    m_shape.append(sf::Vertex({x, y}, m_colorAlt));
    m_shape.append(sf::Vertex({x + 200.0f, y}, m_colorAlt));
    for (int i = 0; i < 4; ++i)
        m_shape.append(sf::Vertex({x, y}, m_colorAlt));
    RebuildTicks();
    m_label.setPosition(x, y + 5.0f);
    m_finished = true;
    Update();
}

void SFPrimitiveCalibration::RebuildTicks()
{
    const sf::Vector2f a = m_shape[0].position;
    const sf::Vector2f b = m_shape[1].position;
    const float length = Distance(a, b);
    sf::Vector2f n(0.0f, 1.0f);
    if (length > 0.0f) {
        n = sf::Vector2f(a.y - b.y, -(a.x - b.x)) / length;
    } else {
        // No direction of its own: keep the one the ticks already have.
        const sf::Vector2f tick = m_shape[2].position - m_shape[3].position;
        const float tickLength = Distance(m_shape[2].position, m_shape[3].position);
        if (tickLength > 0.0f)
            n = tick / tickLength;
    }
    m_shape[2].position = b + kTickHalfLength * n;
    m_shape[3].position = b - kTickHalfLength * n;
    m_shape[4].position = a + kTickHalfLength * n;
    m_shape[5].position = a - kTickHalfLength * n;
}

void SFPrimitiveCalibration::Update()
{
    // Image pixels, never scaled: this is what a calibration is made from.
    m_result.length = Distance(m_shape[0].position, m_shape[1].position) / m_viewZoom;
    m_label.setString(ToLabelString(Format("L: %.2f", m_result.length) + " px"));
}

HitRecord SFPrimitiveCalibration::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    const int vertex = FindVertex(m_shape, p);
    if (vertex == 0 || vertex == 1) {
        hit.kind = kHitVertex;
        hit.vertex = vertex;
        m_shape[vertex].color = m_colorHighlight;
    } else if (IsOnSegment(m_shape[0].position, m_shape[1].position, p)) {
        hit.kind = kHitBody;
        SetColor(m_shape, m_colorHighlight);
        SavePoint(hit, 0, m_shape[0].position);
        SavePoint(hit, 1, m_shape[1].position);
        SavePoint(hit, 2, m_label.getPosition());
    } else if (!HitLabel(hit, p)) {
        PaintAll(m_colorAlt);
    }
    return hit;
}

void SFPrimitiveCalibration::OnMouseDown(float, float, int)
{
    Update();
}

void SFPrimitiveCalibration::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished || tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (hit.kind == kHitLabel) {
        m_label.setPosition(SavedPoint(hit, 0) + d);
    } else if (hit.kind == kHitVertex && (hit.vertex == 0 || hit.vertex == 1)) {
        m_shape[hit.vertex].position = {x, y};
        RebuildTicks();
    } else if (hit.kind == kHitBody) {
        m_shape[0].position = SavedPoint(hit, 0) + d;
        m_shape[1].position = SavedPoint(hit, 1) + d;
        m_label.setPosition(SavedPoint(hit, 2) + d);
        RebuildTicks();
    }
    Update();
}

}  // namespace kelvara
