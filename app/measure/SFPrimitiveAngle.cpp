#include "app/measure/SFPrimitiveAngle.h"

#include "app/measure/SFCircleGeometry.h"

namespace kelvara {

SFPrimitiveAngle::SFPrimitiveAngle(float x, float y, float viewZoom, float scale, float viewOriginX,
    float viewOriginY, const sf::String& unit)
    : SFPrimitiveBase(viewOriginX, viewOriginY, unit, viewZoom, scale)
{
    StartShape(sf::LineStrip, {x, y}, 2);
}

void SFPrimitiveAngle::Update()
{
    if (m_shape.getVertexCount() != 3)
        return;
    float degrees = 0.0f;
    if (!AngleDegrees(m_shape[0].position, m_shape[1].position, m_shape[2].position, degrees))
        degrees = 0.0f;
    m_result.angle = degrees;
    // The angle carries no unit.
    m_label.setString(ToLabelString(Format("A: %.2f deg", degrees)));
}

HitRecord SFPrimitiveAngle::HitTest(float x, float y)
{
    return HitVertexOrLabel(x, y);
}

void SFPrimitiveAngle::OnMouseDown(float x, float y, int)
{
    if (!m_finished) {
        if (m_shape.getVertexCount() == 3) {
            m_finished = true;
        } else {
            m_shape[m_shape.getVertexCount() - 1].position = {x, y};
            m_label.setPosition(x, y + 5.0f);
            m_shape.append(sf::Vertex({x, y}, m_colorNormal));
        }
    }
    Update();
}

void SFPrimitiveAngle::OnMouseMove(float x, float y, int tool, bool pressed, const HitRecord& hit)
{
    MoveFreeVertices(x, y, tool, pressed, hit, kToolAngle);
}

}  // namespace kelvara
