#include "platform/duilib/CDirtyRegion.h"

#include <algorithm>

namespace DuiLib {
namespace {

bool Empty(const RECT& rc)
{
    return rc.right <= rc.left || rc.bottom <= rc.top;
}

bool Overlap(const RECT& a, const RECT& b)
{
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

bool Inside(const RECT& inner, const RECT& outer)
{
    return inner.left >= outer.left && inner.right <= outer.right && inner.top >= outer.top
        && inner.bottom <= outer.bottom;
}

RECT Union(const RECT& a, const RECT& b)
{
    return RECT{std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
        std::max(a.bottom, b.bottom)};
}

}  // namespace

void CDirtyRegion::Add(const RECT& rcIn)
{
    if (Empty(rcIn))
        return;
    RECT rc = rcIn;
    // Swallow every rectangle the new one overlaps; the grown box may then
    // overlap others, so repeat until nothing changes.
    bool merged = true;
    while (merged) {
        merged = false;
        for (size_t i = 0; i < m_rects.size(); ++i) {
            if (Inside(rc, m_rects[i]))
                return;
            if (Overlap(rc, m_rects[i])) {
                rc = Union(rc, m_rects[i]);
                m_rects.erase(m_rects.begin() + static_cast<long>(i));
                merged = true;
                break;
            }
        }
    }
    m_rects.push_back(rc);
    if (m_rects.size() > kMaxRects) {
        RECT all = Bounds();
        m_rects.assign(1, all);
    }
}

void CDirtyRegion::Add(const CDirtyRegion& other)
{
    for (const RECT& rc : other.m_rects)
        Add(rc);
}

void CDirtyRegion::Clip(const RECT& bounds)
{
    std::vector<RECT> rects;
    rects.swap(m_rects);
    for (RECT rc : rects) {
        rc.left = std::max(rc.left, bounds.left);
        rc.top = std::max(rc.top, bounds.top);
        rc.right = std::min(rc.right, bounds.right);
        rc.bottom = std::min(rc.bottom, bounds.bottom);
        if (!Empty(rc))
            m_rects.push_back(rc);
    }
}

RECT CDirtyRegion::Bounds() const
{
    if (m_rects.empty())
        return RECT{0, 0, 0, 0};
    RECT all = m_rects.front();
    for (const RECT& rc : m_rects)
        all = Union(all, rc);
    return all;
}

bool CDirtyRegion::Contains(const RECT& rc) const
{
    return std::any_of(m_rects.begin(), m_rects.end(), [&](const RECT& r) { return Inside(rc, r); });
}

}  // namespace DuiLib
