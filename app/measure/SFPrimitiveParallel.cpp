#include "app/measure/SFPrimitiveParallel.h"

#include "app/measure/SFCircleGeometry.h"

namespace kelvara {

namespace {

// For a dragged vertex: the vertex of the other line it pairs with, the
// pivot at the other end of its own line, and the other line's end that
// stays.
struct Pairing
{
    int paired;
    int pivot;
    int fixed;
};
constexpr Pairing kPairings[4] = {{2, 1, 3}, {3, 0, 2}, {0, 3, 1}, {1, 2, 0}};

}  // namespace

SFPrimitiveParallel::SFPrimitiveParallel(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::Lines, {x, y}, 2);
}

void SFPrimitiveParallel::RebuildDistance()
{
    if (m_shape.getVertexCount() != 4) {
        m_auxiliary.clear();
        return;
    }
    const sf::Vector2f middle = (At(0) + At(1)) / 2.0f;
    sf::Vector2f foot;
    if (!FootOnLine(middle, At(2), At(3), foot))
        return;
    m_auxiliary.clear();
    m_auxiliary.append(sf::Vertex(middle, m_colorAlt));
    m_auxiliary.append(sf::Vertex(foot, m_colorAlt));
}

void SFPrimitiveParallel::Update()
{
    if (m_shape.getVertexCount() != 4)
        return;
    const bool defined = At(2) != At(3) && m_auxiliary.getVertexCount() == 2;
    m_result.distance = defined ? ToUnits(Distance(m_auxiliary[0].position, m_auxiliary[1].position)) : 0.0f;
    SetLabelWithUnit(Format("D: %.2f", m_result.distance));
}

HitRecord SFPrimitiveParallel::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    PaintAll(m_colorNormal);
    const int vertex = FindVertex(m_shape, p);
    if (vertex >= 0) {
        hit.kind = kHitVertex;
        hit.vertex = vertex;
        m_shape[vertex].color = m_colorHighlight;
        SavePoint(hit, 0, At(vertex));
        return hit;
    }
    const int lines = static_cast<int>(m_shape.getVertexCount()) / 2;
    for (int line = 0; line < lines; ++line) {
        if (IsOnSegment(At(2 * line), At(2 * line + 1), p)) {
            hit.kind = kHitBody;
            hit.part = line;
            SetColorRange(m_shape, m_colorHighlight, 2 * line, 2 * line + 1);
            SavePoint(hit, 0, At(2 * line));
            SavePoint(hit, 1, At(2 * line + 1));
            SavePoint(hit, 2, m_label.getPosition());
            return hit;
        }
    }
    HitLabel(hit, p);
    return hit;
}

void SFPrimitiveParallel::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        if (m_shape.getVertexCount() > 3)
            m_finished = true;
        else
            m_shape.append(sf::Vertex({x, y}, m_colorNormal));
    }
    RebuildDistance();
    Update();
}

void SFPrimitiveParallel::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    const sf::Vector2f p(x, y);
    if (!m_finished) {
        if (tool != kToolParallel)
            return;
        const std::size_t count = m_shape.getVertexCount();
        if (count < 4) {
            m_shape[count - 1].position = p;
        } else {
            // Keep the second line parallel to the first.
            sf::Vector2f foot;
            if (FootOnLine(p, At(2), At(2) + (At(1) - At(0)), foot))
                Set(3, foot);
        }
        RebuildDistance();
        Update();
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (hit.kind == kHitBody && (hit.part == 0 || hit.part == 1)) {
        Set(2 * hit.part, SavedPoint(hit, 0) + d);
        Set(2 * hit.part + 1, SavedPoint(hit, 1) + d);
        m_label.setPosition(SavedPoint(hit, 2) + d);
    } else if (hit.kind == kHitVertex && hit.vertex >= 0 && hit.vertex < 4) {
        const Pairing& pairing = kPairings[hit.vertex];
        const sf::Vector2f moved = SavedPoint(hit, 0) + d;
        Set(hit.vertex, moved);
        // The opposite line turns with the dragged one: it keeps its fixed
        // end and takes the direction pivot -> dragged vertex. That is the
        // vertex's own position, not the mouse's, so a grab a few pixels off
        // the vertex still leaves the lines exactly parallel.
        const sf::Vector2f direction = moved - At(pairing.pivot);
        sf::Vector2f foot;
        if (FootOnLine(moved, At(pairing.fixed), At(pairing.fixed) + direction, foot))
            Set(pairing.paired, foot);
    } else {
        DragLabel(hit, d);
    }
    RebuildDistance();
    Update();
}

}  // namespace kelvara
