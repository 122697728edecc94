#pragma once
// Geometry helpers shared by the measurement primitives. All positions are
// view pixels. "Near" means |dx| < 10 and |dy| < 10, strictly. Plain functions
// of their arguments: callable from any thread on data the caller owns.

#include <SFML/Graphics/Color.hpp>
#include <SFML/Graphics/Rect.hpp>
#include <SFML/Graphics/Text.hpp>
#include <SFML/Graphics/VertexArray.hpp>
#include <SFML/System/Vector2.hpp>

#include <array>
#include <string>

namespace kelvara {

// The hit tolerance of vertices, centres and rims, in view pixels.
constexpr float kHitTolerance = 10.0f;
// Angle step of AppendArc (pi / 100) and the full turn it closes on, as the
// single-precision values the arcs are built with.
constexpr float kArcStep = 0.03141593f;
constexpr float kPi = 3.1415927f;
constexpr float kTwoPi = 6.2831855f;

float Distance(sf::Vector2f a, sf::Vector2f b);

// p lies within the strict 10-pixel box around v.
bool IsNear(sf::Vector2f v, sf::Vector2f p);

// p lies on the segment a-b: |p - a| + |p - b| < |a - b| + 2.
bool IsOnSegment(sf::Vector2f a, sf::Vector2f b, sf::Vector2f p);

// Index of the first vertex (in index order) near p, else -1.
int FindVertex(const sf::VertexArray& vertices, sf::Vector2f p);

// Circumcentre of a, b, c. False (centre untouched) when the points are
// collinear or coincide, so no infinite centre ever leaves this function.
bool Circumcentre(sf::Vector2f a, sf::Vector2f b, sf::Vector2f c, sf::Vector2f& centre);

// min(x0, x0 + w) <= p.x < max(x0, x0 + w), the same for y; negative sizes
// describe the mirrored rectangle.
bool IsInRect(float x0, float y0, float w, float h, sf::Vector2f p);

void SetColor(sf::VertexArray& vertices, sf::Color color);

// Colours vertices first ... last inclusive; a last past the end stops at
// the last vertex.
void SetColorRange(sf::VertexArray& vertices, sf::Color color, int first, int last);

// Appends centre + r (cos a, sin a) for a = from, from + kArcStep, ... while
// a <= to, the angle summed in single precision. The full turn [0, kTwoPi]
// gets one more point at angle 0 that closes the ring (201 points).
void AppendArc(sf::VertexArray& vertices, float from, float to, sf::Vector2f centre, float radius,
    sf::Color color = sf::Color::Green);

// Cuts vertices back to the first `join` and appends a copy of vertex
// join - 1 followed by the full circle, both in color; the copy and the
// circle's first point turn transparent so that no stroke joins the points
// to the circle.
void SetJoinedCircle(
    sf::VertexArray& vertices, std::size_t join, sf::Vector2f centre, float radius, sf::Color color);
// Colours every vertex but the two that SetJoinedCircle made transparent.
void ColorJoinedCircle(sf::VertexArray& vertices, std::size_t join, sf::Color color);

// (label position, width and height of the label's global bounds). Needs
// the label's font, so it runs where fonts may be used (see LabelFont.h).
sf::FloatRect GetLabelRect(const sf::Text& label);

// The corners of the band of half width e around a-b, in the order
// b + e n, b - e n, a + e n, a - e n, with n the unit normal
// (-(b.y - a.y), b.x - a.x) / |b - a|. When a and b coincide the normal is
// that of a horizontal segment, (0, 1).
std::array<sf::Vector2f, 4> GetBandCorners(sf::Vector2f a, sf::Vector2f b, float e);

// printf-style formatting into a narrow string of at most 1023 characters.
std::string Format(const char* format, ...) __attribute__((format(printf, 1, 2)));

}  // namespace kelvara
