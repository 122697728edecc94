#include "app/measure/SFPrimitiveArc.h"

#include "app/measure/SFCircleGeometry.h"

namespace kelvara {

SFPrimitiveArc::SFPrimitiveArc(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveCircle3(x, y, viewZoom, scale, viewOriginX, viewOriginY, unit)
{
}

void SFPrimitiveArc::Rebuild()
{
    sf::Vector2f centre;
    float radius = 0.0f;
    if (!CircleToDraw(centre, radius))
        return;
    m_shape.resize(3);
    m_shape.append(sf::Vertex(m_shape[2].position, m_colorNormal));
    const ArcRanges arc = ArcThrough(AngleAbout(m_shape[0].position, centre),
        AngleAbout(m_shape[1].position, centre), AngleAbout(m_shape[2].position, centre));
    for (int i = 0; i < arc.count; ++i)
        AppendArc(m_shape, arc.from[i], arc.to[i], centre, radius, m_colorNormal);
    m_sweep = arc.sweep;
    if (m_shape.getVertexCount() >= 6) {
        m_shape[3].color = sf::Color::Transparent;
        m_shape[4].color = sf::Color::Transparent;
    }
}

void SFPrimitiveArc::Update()
{
    if (m_shape.getVertexCount() <= 2 || PointsCoincide())
        return;
    sf::Vector2f centre;
    float radius = 0.0f;
    const bool defined = PointsCircle(centre, radius);
    // A valid circle means Rebuild has just drawn the arc, so m_sweep is current.
    const float r = defined ? ToUnits(radius) : 0.0f;
    m_result.radius = r;
    m_result.length = defined ? m_sweep * r : 0.0f;
    SetLabelWithUnit(Format("C: %.2f", m_result.length));
}

}  // namespace kelvara
