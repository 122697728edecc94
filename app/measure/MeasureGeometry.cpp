#include "app/measure/MeasureGeometry.h"

#include <algorithm>
#include <cmath>
#include <cstdarg>
#include <cstdio>

namespace kelvara {

float Distance(sf::Vector2f a, sf::Vector2f b)
{
    return std::hypot(b.x - a.x, b.y - a.y);
}

bool IsNear(sf::Vector2f v, sf::Vector2f p)
{
    return std::fabs(p.x - v.x) < kHitTolerance && std::fabs(p.y - v.y) < kHitTolerance;
}

bool IsOnSegment(sf::Vector2f a, sf::Vector2f b, sf::Vector2f p)
{
    return Distance(p, a) + Distance(p, b) < Distance(a, b) + 2.0f;
}

int FindVertex(const sf::VertexArray& vertices, sf::Vector2f p)
{
    const std::size_t count = vertices.getVertexCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (IsNear(vertices[i].position, p))
            return static_cast<int>(i);
    }
    return -1;
}

bool Circumcentre(sf::Vector2f a, sf::Vector2f b, sf::Vector2f c, sf::Vector2f& centre)
{
    // Relative to a and in double: squares of absolute view coordinates in
    // float lose the few pixels a small circle spans.
    const double bx = static_cast<double>(b.x) - a.x;
    const double by = static_cast<double>(b.y) - a.y;
    const double cx = static_cast<double>(c.x) - a.x;
    const double cy = static_cast<double>(c.y) - a.y;
    const double d = 2.0 * (bx * cy - by * cx);
    if (d == 0.0)
        return false;
    const double b2 = bx * bx + by * by;
    const double c2 = cx * cx + cy * cy;
    const sf::Vector2f o(
        static_cast<float>(a.x + (cy * b2 - by * c2) / d), static_cast<float>(a.y + (bx * c2 - cx * b2) / d));
    // Nearly collinear points can still overflow to an infinite centre.
    if (!std::isfinite(o.x) || !std::isfinite(o.y))
        return false;
    centre = o;
    return true;
}

bool IsInRect(float x0, float y0, float w, float h, sf::Vector2f p)
{
    return std::min(x0, x0 + w) <= p.x && p.x < std::max(x0, x0 + w) && std::min(y0, y0 + h) <= p.y
        && p.y < std::max(y0, y0 + h);
}

void SetColor(sf::VertexArray& vertices, sf::Color color)
{
    const std::size_t count = vertices.getVertexCount();
    for (std::size_t i = 0; i < count; ++i)
        vertices[i].color = color;
}

void SetColorRange(sf::VertexArray& vertices, sf::Color color, int first, int last)
{
    const int count = static_cast<int>(vertices.getVertexCount());
    last = std::min(last, count - 1);
    for (int i = std::max(first, 0); i <= last; ++i)
        vertices[static_cast<std::size_t>(i)].color = color;
}

void AppendArc(
    sf::VertexArray& vertices, float from, float to, sf::Vector2f centre, float radius, sf::Color color)
{
    for (float a = from; a <= to; a += kArcStep)
        vertices.append(sf::Vertex(centre + radius * sf::Vector2f(std::cos(a), std::sin(a)), color));
    if (from == 0.0f && to == kTwoPi)
        vertices.append(sf::Vertex(centre + sf::Vector2f(radius, 0.0f), color));
}

void SetJoinedCircle(
    sf::VertexArray& vertices, std::size_t join, sf::Vector2f centre, float radius, sf::Color color)
{
    vertices.resize(join);
    vertices.append(sf::Vertex(vertices[join - 1].position, color));
    AppendArc(vertices, 0.0f, kTwoPi, centre, radius, color);
    if (vertices.getVertexCount() > join + 2) {
        vertices[join].color = sf::Color::Transparent;
        vertices[join + 1].color = sf::Color::Transparent;
    }
}

void ColorJoinedCircle(sf::VertexArray& vertices, std::size_t join, sf::Color color)
{
    const std::size_t count = vertices.getVertexCount();
    for (std::size_t i = 0; i < count; ++i) {
        if (count <= join + 2 || (i != join && i != join + 1))
            vertices[i].color = color;
    }
}

sf::FloatRect GetLabelRect(const sf::Text& label)
{
    const sf::FloatRect bounds = label.getGlobalBounds();
    const sf::Vector2f position = label.getPosition();
    return sf::FloatRect(position.x, position.y, bounds.width, bounds.height);
}

std::array<sf::Vector2f, 4> GetBandCorners(sf::Vector2f a, sf::Vector2f b, float e)
{
    const float length = Distance(a, b);
    sf::Vector2f n(0.0f, 1.0f);
    if (length > 0.0f)
        n = sf::Vector2f(-(b.y - a.y), b.x - a.x) / length;
    return {b + e * n, b - e * n, a + e * n, a - e * n};
}

std::string Format(const char* format, ...)
{
    char buffer[1024];
    va_list args;
    va_start(args, format);
    int written = std::vsnprintf(buffer, sizeof buffer, format, args);
    va_end(args);
    if (written < 0)
        return {};
    return std::string(buffer, std::min<std::size_t>(static_cast<std::size_t>(written), sizeof buffer - 1));
}

}  // namespace kelvara
