#include "app/measure/SFPrimitiveTwoCircles.h"

#include <cmath>

namespace kelvara {

SFPrimitiveTwoCircles::SFPrimitiveTwoCircles(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    m_handles.setPrimitiveType(sf::Points);
    m_handles.append(sf::Vertex({x, y}, m_colorNormal));
    m_handles.append(sf::Vertex({x, y}, m_colorNormal));
    StartShape(sf::LineStrip, {x, y}, 1);
}

bool SFPrimitiveTwoCircles::CircleOf(int k, Circle& circle) const
{
    circle.centre = Point(2 * k);
    circle.radius = Distance(Point(2 * k + 1), circle.centre);
    return true;
}

bool SFPrimitiveTwoCircles::CentreLine(sf::Vector2f& from, sf::Vector2f& to) const
{
    // While the first rim point is placed the line shows the first radius.
    from = Point(0);
    to = PointCount() == 2 ? Point(1) : Point(2);
    return true;
}

void SFPrimitiveTwoCircles::Rebuild()
{
    sf::VertexArray shape(sf::LineStrip);
    bool hasOutline[2] = {false, false};
    for (int k = 0; k < 2; ++k) {
        if (!HasAllPoints(k))
            continue;
        Circle circle;
        if (CircleOf(k, circle)) {
            if (k == 1) {
                shape.append(
                    sf::Vertex(circle.centre + sf::Vector2f(circle.radius, 0.0f), sf::Color::Transparent));
            }
            AppendArc(shape, 0.0f, kTwoPi, circle.centre, circle.radius, m_colorNormal);
            if (k == 0)
                shape.append(sf::Vertex(shape[shape.getVertexCount() - 1].position, sf::Color::Transparent));
            hasOutline[k] = true;
        } else if (m_hasOutline[k]) {
            // No circle through these points: keep the last outline drawn.
            const int start = SegmentStart(k);
            for (int i = start; i < start + kSegment; ++i)
                shape.append(m_shape[static_cast<std::size_t>(i)]);
            hasOutline[k] = true;
        }
    }
    m_shape = shape;
    m_hasOutline[0] = hasOutline[0];
    m_hasOutline[1] = hasOutline[1];

    m_auxiliary.clear();
    sf::Vector2f from;
    sf::Vector2f to;
    if (CentreLine(from, to)) {
        m_auxiliary.append(sf::Vertex(from, m_colorAlt));
        m_auxiliary.append(sf::Vertex(to, m_colorAlt));
    }
}

void SFPrimitiveTwoCircles::ResetColors()
{
    for (int k = 0; k < 2; ++k) {
        if (m_hasOutline[k])
            SetColorRange(m_shape, m_colorNormal, OutlineFirst(k), OutlineFirst(k) + 200);
    }
    m_label.setFillColor(m_colorNormal);
}

void SFPrimitiveTwoCircles::Update()
{
    if (m_auxiliary.getVertexCount() == 2) {
        const sf::Vector2f from = m_auxiliary[0].position;
        const sf::Vector2f to = m_auxiliary[1].position;
        const float distance = ToUnits(Distance(from, to));
        m_result.distance = distance;
        m_result.length = distance;
        const sf::Vector2f start = ToImage(from);
        const sf::Vector2f end = ToImage(to);
        m_result.startX = start.x;
        m_result.startY = start.y;
        m_result.endX = end.x;
        m_result.endY = end.y;
    } else if (PointCount() >= 2 * PointsPerCircle()) {
        // Every point is placed but a circle is undefined.
        m_result = MeasureResult();
    } else {
        return;
    }
    SetLabelWithUnit(Format("D: %.2f", m_result.distance));
}

HitRecord SFPrimitiveTwoCircles::HitTest(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    // Hovering misses far more often than it hits: recolour the outline
    // only when an earlier test highlighted something.
    if (m_highlighted) {
        ResetColors();
        m_highlighted = false;
    }
    for (int i = 0; i < PointCount(); ++i) {
        if (IsPickable(i) && IsNear(Point(i), p)) {
            hit.kind = kHitHandle;
            hit.vertex = i;
            SavePoint(hit, 0, Point(i));
            m_highlighted = true;
            return hit;
        }
    }
    const int perCircle = PointsPerCircle();
    for (int k = 0; k < 2; ++k) {
        Circle circle;
        if (!HasAllPoints(k) || !CircleOf(k, circle))
            continue;
        if (IsNear(circle.centre, p)
            || std::fabs(Distance(p, circle.centre) - circle.radius) < kHitTolerance) {
            hit.kind = kHitBody;
            hit.part = k;
            if (m_hasOutline[k])
                SetColorRange(m_shape, m_colorHighlight, OutlineFirst(k), OutlineFirst(k) + 200);
            for (int j = 0; j < perCircle; ++j)
                SavePoint(hit, j, Point(k * perCircle + j));
            m_highlighted = true;
            return hit;
        }
    }
    HitLabel(hit, p);
    m_highlighted = hit.kind != kHitNone;
    return hit;
}

void SFPrimitiveTwoCircles::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        if (PointCount() < 2 * PointsPerCircle()) {
            m_handles[m_handles.getVertexCount() - 1].position = {x, y};
            m_handles.append(sf::Vertex({x, y}, m_colorNormal));
        } else {
            m_finished = true;
        }
    }
    Rebuild();
    Update();
}

void SFPrimitiveTwoCircles::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    if (!m_finished) {
        if (tool == OwnTool()) {
            m_handles[m_handles.getVertexCount() - 1].position = {x, y};
            Rebuild();
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    const int perCircle = PointsPerCircle();
    if (hit.kind == kHitHandle && hit.vertex >= 0 && hit.vertex < PointCount()) {
        m_handles[static_cast<std::size_t>(hit.vertex)].position = SavedPoint(hit, 0) + d;
        Rebuild();
    } else if (hit.kind == kHitBody && (hit.part == 0 || hit.part == 1) && HasAllPoints(hit.part)) {
        for (int j = 0; j < perCircle; ++j)
            m_handles[static_cast<std::size_t>(hit.part * perCircle + j)].position = SavedPoint(hit, j) + d;
        Rebuild();
    } else {
        DragLabel(hit, d);
    }
    Update();
}

}  // namespace kelvara
