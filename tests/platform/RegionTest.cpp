// Window regions: unions of any rectangles kept y-x banded, checked against a pixel map.
#include <gtest/gtest.h>

#include <cstdint>
#include <vector>

#include "platform/window/Region.h"

namespace pw = platform::window;
using pw::Region;
using pw::RegionRect;

namespace {

constexpr int kSize = 40;

// The pixels a region covers, on a kSize x kSize grid.
std::vector<bool> Pixels(const Region& region) {
    std::vector<bool> on(kSize * kSize);
    for (int y = 0; y < kSize; ++y)
        for (int x = 0; x < kSize; ++x) on[size_t(y * kSize + x)] = region.Contains(x, y);
    return on;
}

std::vector<bool> Pixels(const std::vector<RegionRect>& rects) {
    std::vector<bool> on(kSize * kSize);
    for (const RegionRect& r : rects)
        for (int y = std::max(r.Top, 0); y < std::min(r.Bottom, kSize); ++y)
            for (int x = std::max(r.Left, 0); x < std::min(r.Right, kSize); ++x) on[size_t(y * kSize + x)] = true;
    return on;
}

// The banded form: rows of rectangles of equal top and bottom, sorted, disjoint, and no two
// touching rows with equal spans (they would have been merged).
void ExpectBanded(const Region& region) {
    const std::vector<RegionRect> rects = region.Rects();
    for (size_t i = 1; i < rects.size(); ++i) {
        const RegionRect &a = rects[i - 1], &b = rects[i];
        if (a.Top == b.Top) {
            EXPECT_EQ(a.Bottom, b.Bottom);
            EXPECT_LT(a.Right, b.Left) << "spans of a band are disjoint and do not touch";
        } else {
            EXPECT_LE(a.Bottom, b.Top);
        }
    }
}

uint32_t NextRandom(uint32_t& state) {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
}

}  // namespace

TEST(Region, UnionsOfOverlappingRectanglesCoverExactlyTheirPixels) {
    uint32_t seed = 2463534242u;
    for (int round = 0; round < 200; ++round) {
        std::vector<RegionRect> rects;
        const int n = 1 + int(NextRandom(seed) % 8);
        for (int i = 0; i < n; ++i) {
            const int l = int(NextRandom(seed) % kSize) - 4, t = int(NextRandom(seed) % kSize) - 4;
            rects.push_back({l, t, l + int(NextRandom(seed) % 20), t + int(NextRandom(seed) % 20)});
        }
        const Region swept = Region::FromRects(rects);
        Region united;
        for (auto it = rects.rbegin(); it != rects.rend(); ++it) united.Union(*it);  // another order
        EXPECT_EQ(Pixels(swept), Pixels(rects)) << "round " << round;
        EXPECT_EQ(swept, united) << "one set of pixels has one banded form";
        EXPECT_EQ(Pixels(Region::FromRects(swept.Rects())), Pixels(rects));
        ExpectBanded(swept);
    }
}

TEST(Region, RowsWithEqualSpansMergeAndEmptyRectanglesAddNothing) {
    // A box built row by row, as a bitmap scan builds it, is one rectangle.
    std::vector<RegionRect> rows;
    for (int y = 5; y < 15; ++y) rows.push_back({3, y, 9, y + 1});
    rows.push_back({20, 20, 20, 30});  // empty
    rows.push_back({20, 20, 25, 20});  // empty
    const Region box = Region::FromRects(rows);
    EXPECT_EQ(box.Rects(), (std::vector<RegionRect>{{3, 5, 9, 15}}));
    EXPECT_EQ(box.Bounds(), (RegionRect{3, 5, 9, 15}));
    // Touching spans join; a gap keeps two.
    const Region two = Region::FromRects(std::vector<RegionRect>{{0, 0, 4, 2}, {4, 0, 6, 2}, {8, 0, 9, 2}});
    EXPECT_EQ(two.Rects(), (std::vector<RegionRect>{{0, 0, 6, 2}, {8, 0, 9, 2}}));
    EXPECT_TRUE(Region().Empty());
    EXPECT_EQ(Region().Bounds(), RegionRect{});
    EXPECT_TRUE(Region::FromRects({}).Empty());
}

TEST(Region, ContainsTakesLeftAndTopAndLeavesRightAndBottom) {
    const Region r(RegionRect{10, 20, 30, 40});
    EXPECT_TRUE(r.Contains(10, 20));
    EXPECT_TRUE(r.Contains(29, 39));
    EXPECT_FALSE(r.Contains(30, 39));
    EXPECT_FALSE(r.Contains(29, 40));
    EXPECT_FALSE(r.Contains(9, 25));
}

TEST(Region, IntersectionWithARectangleAndOffset) {
    Region ring = Region::FromRects(std::vector<RegionRect>{{0, 0, 20, 4}, {0, 4, 4, 16}, {16, 4, 20, 16}, {0, 16, 20, 20}});
    ring.Intersect({2, 2, 18, 18});
    EXPECT_EQ(Pixels(ring), Pixels({{2, 2, 18, 4}, {2, 4, 4, 16}, {16, 4, 18, 16}, {2, 16, 18, 18}}));
    ExpectBanded(ring);
    ring.Offset(5, -2);
    EXPECT_EQ(ring.Bounds(), (RegionRect{7, 0, 23, 16}));
    ring.Intersect({100, 100, 101, 101});
    EXPECT_TRUE(ring.Empty());
}
