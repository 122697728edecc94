#pragma once
// Geometry of the circle, arc, angle and construction primitives beyond the
// shared helpers: circumcircles with their radius, feet of perpendiculars,
// arc angle ranges and the angle between two arms. All in view pixels.
// Degenerate input (collinear or coincident points, zero-length lines or
// arms) is reported by a false result, never by infinite or NaN output.
// Plain functions: callable from any thread.

#include <SFML/System/Vector2.hpp>

namespace kelvara {

// Circle through p0, p1 and p2. False (outputs untouched) when the points
// are collinear or coincide, or the circle is not finite.
bool Circumcircle(sf::Vector2f p0, sf::Vector2f p1, sf::Vector2f p2, sf::Vector2f& centre, float& radius);

// Foot of the perpendicular from p on the line through a and b. False (foot
// untouched) when a and b coincide.
bool FootOnLine(sf::Vector2f p, sf::Vector2f a, sf::Vector2f b, sf::Vector2f& foot);

// Angle of p about centre in [0, 2pi): the angle between (100, 0) and
// p - centre, growing from +x towards +y (clockwise on screen).
float AngleAbout(sf::Vector2f p, sf::Vector2f centre);

// The angle ranges that draw an arc from the start angle through the middle
// angle to the end angle: one range, or two when the arc passes angle 0.
struct ArcRanges
{
    int count = 0;
    float from[2] = {0.0f, 0.0f};
    float to[2] = {0.0f, 0.0f};
    float sweep = 0.0f;  // radians
};
ArcRanges ArcThrough(float start, float middle, float end);

// Angle at apex between the arms to a and b, in degrees from 0 to 180. False
// (degrees untouched) when an arm has zero length.
bool AngleDegrees(sf::Vector2f a, sf::Vector2f apex, sf::Vector2f b, float& degrees);

}  // namespace kelvara
