#include "app/measure/SFPrimitiveBase.h"

#include "app/measure/LabelFont.h"

#include <cmath>
#include <locale>

namespace kelvara {

namespace {

sf::Vector2f Refit(sf::Vector2f p, sf::Vector2f oldOrigin, float factor, sf::Vector2f newOrigin)
{
    return (p - oldOrigin) * factor + newOrigin;
}

void RefitAll(sf::VertexArray& vertices, sf::Vector2f oldOrigin, float factor, sf::Vector2f newOrigin)
{
    const std::size_t count = vertices.getVertexCount();
    for (std::size_t i = 0; i < count; ++i)
        vertices[i].position = Refit(vertices[i].position, oldOrigin, factor, newOrigin);
}

}  // namespace

SFPrimitiveBase::SFPrimitiveBase(
    float viewOriginX, float viewOriginY, const sf::String& unit, float viewZoom, float scale)
    : m_auxiliary(sf::Lines)
{
    m_font = GetLabelFont();
    if (m_font) {
        m_label.setFont(*m_font);
        m_label.setCharacterSize(14);
        m_label.setFillColor(m_colorNormal);
        m_label.setStyle(sf::Text::Underlined);
    }
    m_viewOriginX = viewOriginX;
    m_viewOriginY = viewOriginY;
    m_viewZoom = viewZoom;
    m_scale = scale;
    m_unit = unit;
}

SFPrimitiveBase::~SFPrimitiveBase() = default;

void SFPrimitiveBase::OnMouseDown(float, float, int) { }

void SFPrimitiveBase::OnMouseMove(float, float, int, bool, const HitRecord&) { }

void SFPrimitiveBase::OnMouseUp(float, float, int) { }

void SFPrimitiveBase::OnRightButtonDown(float, float, int) { }

sf::VertexArray SFPrimitiveBase::GetShape() const
{
    return m_shape;
}

void SFPrimitiveBase::ScaleViewLengths(float) { }

void SFPrimitiveBase::ApplyViewTransform(float viewZoom, float viewOriginX, float viewOriginY)
{
    if (m_viewZoom == 0.0f || !(viewZoom > 0.0f) || !std::isfinite(viewZoom))
        return;
    const float factor = viewZoom / m_viewZoom;
    const sf::Vector2f oldOrigin(m_viewOriginX, m_viewOriginY);
    const sf::Vector2f newOrigin(viewOriginX, viewOriginY);
    RefitAll(m_shape, oldOrigin, factor, newOrigin);
    RefitAll(m_handles, oldOrigin, factor, newOrigin);
    RefitAll(m_auxiliary, oldOrigin, factor, newOrigin);
    m_label.setPosition(Refit(m_label.getPosition(), oldOrigin, factor, newOrigin));
    ScaleViewLengths(factor);
    m_viewOriginX = viewOriginX;
    m_viewOriginY = viewOriginY;
    m_viewZoom = viewZoom;
    Update();
}

sf::VertexArray SFPrimitiveBase::GetAuxiliary() const
{
    return m_auxiliary;
}

sf::VertexArray SFPrimitiveBase::GetHandleMarks() const
{
    sf::VertexArray marks(sf::LineStrip);
    if (!m_selected)
        return marks;
    const std::size_t count = m_handles.getVertexCount();
    for (std::size_t i = 0; i < count; ++i) {
        const sf::Vector2f p = m_handles[i].position;
        if (i > 0)
            marks.append(sf::Vertex(p + sf::Vector2f(-5.0f, -5.0f), sf::Color::Transparent));
        marks.append(sf::Vertex(p + sf::Vector2f(-5.0f, -5.0f), m_colorHighlight));
        marks.append(sf::Vertex(p + sf::Vector2f(5.0f, -5.0f), m_colorHighlight));
        marks.append(sf::Vertex(p + sf::Vector2f(5.0f, 5.0f), m_colorHighlight));
        marks.append(sf::Vertex(p + sf::Vector2f(-5.0f, 5.0f), m_colorHighlight));
        marks.append(sf::Vertex(p + sf::Vector2f(-5.0f, -5.0f), m_colorHighlight));
        if (i + 1 < count)
            marks.append(sf::Vertex(p + sf::Vector2f(-5.0f, 5.0f), sf::Color::Transparent));
    }
    return marks;
}

sf::Text SFPrimitiveBase::GetLabel() const
{
    return m_label;
}

void SFPrimitiveBase::SetCalibration(const sf::String& unit, float scale)
{
    m_scale = scale;
    m_unit = unit;
    Update();
}

sf::Vector2f SFPrimitiveBase::ToImage(sf::Vector2f view) const
{
    return {(view.x - m_viewOriginX) / m_viewZoom, (view.y - m_viewOriginY) / m_viewZoom};
}

float SFPrimitiveBase::ToUnits(float viewLength) const
{
    return viewLength / m_viewZoom * m_scale;
}

float SFPrimitiveBase::ToSquareUnits(float viewArea) const
{
    return viewArea / m_viewZoom / m_viewZoom * m_scale * m_scale;
}

sf::String SFPrimitiveBase::ToLabelString(const std::string& narrow)
{
    return sf::String(narrow, std::locale());
}

void SFPrimitiveBase::SetLabelWithUnit(const std::string& text, bool squared)
{
    sf::String label = ToLabelString(text + " ");
    label += m_unit;
    if (squared)
        label += "^2";
    m_label.setString(label);
}

bool SFPrimitiveBase::IsOnLabel(sf::Vector2f p) const
{
    const sf::FloatRect rect = GetLabelRect(m_label);
    return IsInRect(rect.left, rect.top, rect.width, rect.height, p);
}

void SFPrimitiveBase::SavePoint(HitRecord& hit, int slot, sf::Vector2f p)
{
    hit.saved[2 * slot] = p.x;
    hit.saved[2 * slot + 1] = p.y;
}

sf::Vector2f SFPrimitiveBase::SavedPoint(const HitRecord& hit, int slot)
{
    return {hit.saved[2 * slot], hit.saved[2 * slot + 1]};
}

sf::Vector2f SFPrimitiveBase::DragOffset(float x, float y, const HitRecord& hit)
{
    return {x - hit.mouseX, y - hit.mouseY};
}

void SFPrimitiveBase::StartShape(sf::PrimitiveType type, sf::Vector2f p, int points)
{
    m_shape.setPrimitiveType(type);
    for (int i = 0; i < points; ++i)
        m_shape.append(sf::Vertex(p, m_colorNormal));
    m_label.setPosition(p.x, p.y + 5.0f);
}

HitRecord SFPrimitiveBase::StartHit(float x, float y)
{
    HitRecord hit;
    hit.mouseX = x;
    hit.mouseY = y;
    return hit;
}

void SFPrimitiveBase::PaintAll(sf::Color color)
{
    SetColor(m_shape, color);
    m_label.setFillColor(color);
}

bool SFPrimitiveBase::HitShapeVertex(HitRecord& hit, sf::Vector2f p)
{
    const int vertex = FindVertex(m_shape, p);
    if (vertex < 0)
        return false;
    hit.kind = kHitVertex;
    hit.vertex = vertex;
    m_shape[vertex].color = m_colorHighlight;
    SavePoint(hit, 0, m_shape[vertex].position);
    return true;
}

bool SFPrimitiveBase::HitLeadingVertex(HitRecord& hit, sf::Vector2f p, int count)
{
    for (int i = 0; i < count; ++i) {
        if (IsNear(m_shape[i].position, p)) {
            hit.kind = kHitVertex;
            hit.vertex = i;
            m_shape[i].color = m_colorHighlight;
            SavePoint(hit, 0, m_shape[i].position);
            return true;
        }
    }
    return false;
}

bool SFPrimitiveBase::HitLabel(HitRecord& hit, sf::Vector2f p)
{
    if (!IsOnLabel(p))
        return false;
    hit.kind = kHitLabel;
    m_label.setFillColor(m_colorHighlight);
    SavePoint(hit, 0, m_label.getPosition());
    return true;
}

bool SFPrimitiveBase::DragShapeVertex(const HitRecord& hit, sf::Vector2f d, int limit)
{
    if (hit.kind != kHitVertex || hit.vertex < 0 || hit.vertex >= limit
        || hit.vertex >= static_cast<int>(m_shape.getVertexCount()))
        return false;
    m_shape[hit.vertex].position = SavedPoint(hit, 0) + d;
    return true;
}

void SFPrimitiveBase::MoveFreeVertices(
    float x, float y, int tool, bool pressed, const HitRecord& hit, int ownTool)
{
    if (!m_finished) {
        if (tool == ownTool) {
            m_shape[m_shape.getVertexCount() - 1].position = {x, y};
            Update();
        }
        return;
    }
    if (tool != kToolMove || !pressed)
        return;
    const sf::Vector2f d = DragOffset(x, y, hit);
    if (!DragShapeVertex(hit, d))
        DragLabel(hit, d);
    Update();
}

HitRecord SFPrimitiveBase::HitVertexOrLabel(float x, float y)
{
    HitRecord hit = StartHit(x, y);
    const sf::Vector2f p(x, y);
    PaintAll(m_colorNormal);
    if (!HitShapeVertex(hit, p))
        HitLabel(hit, p);
    return hit;
}

bool SFPrimitiveBase::HitCentre(HitRecord& hit, sf::Vector2f p)
{
    if (!IsNear(m_shape[0].position, p))
        return false;
    hit.kind = kHitBody;
    m_shape[0].color = m_colorHighlight;
    SavePoint(hit, 0, m_shape[0].position);
    SavePoint(hit, 1, m_label.getPosition());
    return true;
}

bool SFPrimitiveBase::HitRing(HitRecord& hit, float distance, float radius, int part)
{
    if (!(std::fabs(distance - radius) < kHitTolerance))
        return false;
    hit.kind = kHitBody;
    hit.part = part;
    SetColor(m_shape, m_colorHighlight);
    return true;
}

void SFPrimitiveBase::DragCentre(const HitRecord& hit, sf::Vector2f d)
{
    m_shape[0].position = SavedPoint(hit, 0) + d;
    m_label.setPosition(SavedPoint(hit, 1) + d);
}

bool SFPrimitiveBase::DragLabel(const HitRecord& hit, sf::Vector2f d)
{
    if (hit.kind != kHitLabel)
        return false;
    m_label.setPosition(SavedPoint(hit, 0) + d);
    return true;
}

void SFPrimitiveBase::SetCircleResult(float r)
{
    m_result.radius = r;
    m_result.area = kPi * r * r;
    m_result.length = kTwoPi * r;
    SetLabelWithUnit(Format("R: %.2f", r));
}

}  // namespace kelvara
