// The dirty region: how rectangles merge, cut and collapse.
#include "platform/duilib/CDirtyRegion.h"

#include <gtest/gtest.h>

using DuiLib::CDirtyRegion;

namespace {

bool Same(const RECT& a, const RECT& b)
{
    return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

struct MergeCase
{
    const char* what;
    std::vector<RECT> added;
    std::vector<RECT> expected;
};

TEST(CDirtyRegion, MergesOverlapsKeepsApartRectanglesSeparate)
{
    const MergeCase cases[] = {
        {"empty ignored", {{5, 5, 5, 9}, {3, 3, 2, 8}}, {}},
        {"apart stay apart", {{0, 0, 10, 10}, {20, 0, 30, 10}}, {{0, 0, 10, 10}, {20, 0, 30, 10}}},
        {"touching edges stay apart", {{0, 0, 10, 10}, {10, 0, 20, 10}}, {{0, 0, 10, 10}, {10, 0, 20, 10}}},
        {"overlap merges", {{0, 0, 10, 10}, {5, 5, 15, 15}}, {{0, 0, 15, 15}}},
        {"inside is dropped", {{0, 0, 50, 50}, {10, 10, 20, 20}}, {{0, 0, 50, 50}}},
        {"cover swallows", {{10, 10, 20, 20}, {30, 30, 40, 40}, {0, 0, 50, 50}}, {{0, 0, 50, 50}}},
        // The merged box of the third overlaps the first: all three become one.
        {"chain merges", {{0, 0, 10, 10}, {20, 20, 30, 30}, {8, 8, 22, 22}}, {{0, 0, 30, 30}}},
    };
    for (const MergeCase& c : cases) {
        CDirtyRegion region;
        for (const RECT& rc : c.added)
            region.Add(rc);
        ASSERT_EQ(region.Rects().size(), c.expected.size()) << c.what;
        for (const RECT& rc : c.expected) {
            bool found = false;
            for (const RECT& have : region.Rects())
                found |= Same(rc, have);
            EXPECT_TRUE(found) << c.what;
        }
    }
}

TEST(CDirtyRegion, TooManyRectanglesCollapseIntoTheirBounds)
{
    CDirtyRegion region;
    for (long i = 0; i < static_cast<long>(CDirtyRegion::kMaxRects); ++i)
        region.Add(RECT{i * 20, 0, i * 20 + 10, 10});
    EXPECT_EQ(region.Rects().size(), CDirtyRegion::kMaxRects);
    region.Add(RECT{0, 100, 5, 105});
    ASSERT_EQ(region.Rects().size(), 1u);
    const long right = static_cast<long>(CDirtyRegion::kMaxRects - 1) * 20 + 10;
    EXPECT_TRUE(Same(region.Rects()[0], RECT{0, 0, right, 105}));
    EXPECT_TRUE(region.Contains(RECT{15, 15, 16, 16}));
}

TEST(CDirtyRegion, ClipCutsToTheWindowAndDropsWhatFallsOutside)
{
    CDirtyRegion region;
    region.Add(RECT{-10, -10, 10, 10});
    region.Add(RECT{500, 500, 600, 600});
    region.Add(RECT{90, 20, 140, 30});
    region.Clip(RECT{0, 0, 100, 100});
    ASSERT_EQ(region.Rects().size(), 2u);
    EXPECT_TRUE(Same(region.Bounds(), RECT{0, 0, 100, 30}));
    EXPECT_TRUE(region.Contains(RECT{0, 0, 10, 10}));
    EXPECT_FALSE(region.Contains(RECT{0, 0, 11, 10}));
    region.Clear();
    EXPECT_TRUE(region.IsEmpty());
    EXPECT_TRUE(Same(region.Bounds(), RECT{0, 0, 0, 0}));
}

}  // namespace
