#include "app/measure/SFPrimitiveCalibration.h"

#include <array>
#include <cstddef>

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
    if (Distance(a, b) > 0.0f) {
        const std::array<sf::Vector2f, 4> corners = GetBandCorners(a, b, kTickHalfLength);
        for (int i = 0; i < 4; ++i)
            m_shape[static_cast<std::size_t>(2 + i)].position = corners[static_cast<std::size_t>(i)];
        return;
    }
    // No direction of its own: keep the one the ticks already have, as the
    // band of a line whose normal is the ticks' direction ((1, 0) gives the
    // normal (0, 1) when there are no ticks yet). Both ends lie at a.
    const sf::Vector2f tick = m_shape[2].position - m_shape[3].position;
    const sf::Vector2f along = Distance(m_shape[2].position, m_shape[3].position) > 0.0f
        ? sf::Vector2f(tick.y, -tick.x)
        : sf::Vector2f(1.0f, 0.0f);
    const std::array<sf::Vector2f, 4> corners = GetBandCorners(a, a + along, kTickHalfLength);
    m_shape[2].position = corners[2];
    m_shape[3].position = corners[3];
    m_shape[4].position = corners[2];
    m_shape[5].position = corners[3];
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
