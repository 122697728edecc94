#include "app/measure/SFCircleGeometry.h"

#include "app/measure/MeasureGeometry.h"

#include <algorithm>
#include <cmath>

namespace kelvara {

bool Circumcircle(sf::Vector2f p0, sf::Vector2f p1, sf::Vector2f p2, sf::Vector2f& centre, float& radius)
{
    sf::Vector2f c;
    if (!Circumcentre(p0, p1, p2, c))
        return false;
    const float r = Distance(c, p0);
    if (!std::isfinite(r))
        return false;
    centre = c;
    radius = r;
    return true;
}

bool FootOnLine(sf::Vector2f p, sf::Vector2f a, sf::Vector2f b, sf::Vector2f& foot)
{
    const double dx = b.x - a.x;
    const double dy = b.y - a.y;
    const double length2 = dx * dx + dy * dy;
    if (length2 == 0.0)
        return false;
    const double t = ((p.x - a.x) * dx + (p.y - a.y) * dy) / length2;
    const sf::Vector2f f(static_cast<float>(a.x + t * dx), static_cast<float>(a.y + t * dy));
    if (!std::isfinite(f.x) || !std::isfinite(f.y))
        return false;
    foot = f;
    return true;
}

float AngleAbout(sf::Vector2f p, sf::Vector2f centre)
{
    const sf::Vector2f v = p - centre;
    const float length = std::hypot(v.x, v.y);
    if (length == 0.0f)
        return 0.0f;
    // Rounding can push the cosine just past +-1, where acos gives NaN.
    const float cosine = std::clamp(100.0f * v.x / (100.0f * length), -1.0f, 1.0f);
    float angle = std::acos(cosine);
    if (centre.y > p.y)
        angle = kTwoPi - angle;
    return angle >= kTwoPi ? 0.0f : angle;
}

ArcRanges ArcThrough(float t0, float t1, float t2)
{
    ArcRanges arc;
    if (t0 <= t1 && t1 <= t2) {
        arc.count = 1;
        arc.from[0] = t0;
        arc.to[0] = t2;
        arc.sweep = t2 - t0;
    } else if (t2 <= t1 && t1 <= t0) {
        arc.count = 1;
        arc.from[0] = t2;
        arc.to[0] = t0;
        arc.sweep = t0 - t2;
    } else if ((t1 <= t0 && t0 <= t2) || (t0 <= t2 && t2 <= t1)) {
        // From the end up through angle 0 to the start.
        arc.count = 2;
        arc.from[0] = t2;
        arc.to[0] = kTwoPi;
        arc.to[1] = t0;
        arc.sweep = kTwoPi - t2 + t0;
    } else {
        // t1 <= t2 <= t0 or t2 <= t0 <= t1: from the start up through 0 to the end.
        arc.count = 2;
        arc.from[0] = t0;
        arc.to[0] = kTwoPi;
        arc.to[1] = t2;
        arc.sweep = kTwoPi - t0 + t2;
    }
    return arc;
}

bool AngleDegrees(sf::Vector2f a, sf::Vector2f apex, sf::Vector2f b, float& degrees)
{
    const double ux = a.x - apex.x, uy = a.y - apex.y;
    const double vx = b.x - apex.x, vy = b.y - apex.y;
    const double lu = std::hypot(ux, uy);
    const double lv = std::hypot(vx, vy);
    if (lu == 0.0 || lv == 0.0)
        return false;
    const double cosine = std::clamp((ux * vx + uy * vy) / (lu * lv), -1.0, 1.0);
    degrees = static_cast<float>(std::acos(cosine) * 180.0 / 3.14159265358979323846);
    return true;
}

}  // namespace kelvara
