#include "app/measure/SFPrimitiveCrosshair2.h"

#include "app/measure/SFPrimitiveCrosshair.h"

#include <cmath>

namespace kelvara {

namespace {

// Lines are picked within this many view pixels, centres within the usual 10.
constexpr float kLineTolerance = 5.0f;

}  // namespace

SFPrimitiveCrosshair2::SFPrimitiveCrosshair2(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    m_shape.setPrimitiveType(sf::Lines);
    m_shape.resize(4);
    SetColor(m_shape, m_colorNormal);
    PlaceCrosshair(m_shape, 0, {x, y});
}

sf::Vector2f SFPrimitiveCrosshair2::Centre(int k) const
{
    return {m_shape[4 * k + 2].position.x, m_shape[4 * k].position.y};
}

void SFPrimitiveCrosshair2::Update()
{
    if (m_shape.getVertexCount() != 8)
        return;
    const sf::Vector2f a = Centre(0);
    const sf::Vector2f b = Centre(1);
    const sf::Vector2f centre = ToImage((a + b) / 2.0f);
    m_result.centerX = centre.x;
    m_result.centerY = centre.y;
    m_result.width = ToUnits(std::fabs(b.x - a.x));
    m_result.height = ToUnits(std::fabs(b.y - a.y));
    sf::String label = ToLabelString(Format("W: %.2f ", m_result.width));
    label += m_unit;
    label += ToLabelString(Format("\nH: %.2f ", m_result.height));
    label += m_unit;
    label += "\n";
    m_label.setString(label);
}

HitRecord SFPrimitiveCrosshair2::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    PaintAll(m_colorNormal);
    const int crosshairs = static_cast<int>(m_shape.getVertexCount()) / 4;
    for (int k = 0; k < crosshairs; ++k) {
        if (IsNear(Centre(k), p)) {
            hit.kind = kHitVertex;
            hit.vertex = k;
            SetColorRange(m_shape, m_colorHighlight, 4 * k, 4 * k + 3);
            return hit;
        }
    }
    // Lines in the order V0-V1, V2-V3, V4-V5, V6-V7; even lines are horizontal.
    for (int line = 0; line < 2 * crosshairs; ++line) {
        const sf::Vector2f v = m_shape[static_cast<std::size_t>(2 * line)].position;
        const bool horizontal = line % 2 == 0;
        if (horizontal ? std::fabs(y - v.y) < kLineTolerance : std::fabs(x - v.x) < kLineTolerance) {
            hit.kind = kHitBody;
            hit.vertex = line;
            SetColorRange(m_shape, m_colorHighlight, 2 * line, 2 * line + 1);
            SavePoint(hit, 0, horizontal ? sf::Vector2f(x, v.y) : sf::Vector2f(v.x, y));
            return hit;
        }
    }
    HitLabel(hit, p);
    return hit;
}

void SFPrimitiveCrosshair2::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        if (m_shape.getVertexCount() > 7) {
            m_finished = true;
        } else {
            m_label.setPosition(x + 5.0f, y + 5.0f);
            SetColor(m_shape, m_colorNormal);
            m_shape.resize(8);
            SetColorRange(m_shape, m_colorNormal, 4, 7);
            PlaceCrosshair(m_shape, 4, {x, y});
        }
    }
    Update();
}

void SFPrimitiveCrosshair2::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    const sf::Vector2f p(x, y);
    if (!m_finished) {
        if (tool == kToolCrosshair2) {
            PlaceCrosshair(m_shape, m_shape.getVertexCount() == 8 ? 4 : 0, p);
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (hit.kind == kHitVertex && (hit.vertex == 0 || hit.vertex == 1)) {
        PlaceCrosshair(m_shape, static_cast<std::size_t>(4 * hit.vertex), p);
    } else if (hit.kind == kHitBody && hit.vertex >= 0 && hit.vertex < 4) {
        const sf::Vector2f moved = SavedPoint(hit, 0) + d;
        const std::size_t first = static_cast<std::size_t>(2 * hit.vertex);
        if (hit.vertex % 2 == 0) {
            m_shape[first].position.y = moved.y;
            m_shape[first + 1].position.y = moved.y;
        } else {
            m_shape[first].position.x = moved.x;
            m_shape[first + 1].position.x = moved.x;
        }
    } else if (hit.kind == kHitLabel) {
        m_label.setPosition(SavedPoint(hit, 0) + d);
    } else {
        return;
    }
    Update();
}

}  // namespace kelvara
