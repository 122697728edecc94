#pragma once
// The part of a window that needs painting: a short list of rectangles.
// Overlapping rectangles merge into their bounding box; past kMaxRects the
// whole list becomes one bounding box, so a paint never walks the control
// tree more than kMaxRects times. Plain geometry, no thread of its own.

#include "platform/duilib/UIDefs.h"

#include <vector>

namespace DuiLib {

class CDirtyRegion
{
public:
    static constexpr size_t kMaxRects = 8;

    // Adds a rectangle (empty ones are ignored).
    void Add(const RECT& rc);
    void Add(const CDirtyRegion& other);
    // Cuts every rectangle to bounds; those left empty go.
    void Clip(const RECT& bounds);
    void Clear() { m_rects.clear(); }
    bool IsEmpty() const { return m_rects.empty(); }
    const std::vector<RECT>& Rects() const { return m_rects; }
    RECT Bounds() const;
    bool Contains(const RECT& rc) const;

private:
    std::vector<RECT> m_rects;
};

}  // namespace DuiLib
