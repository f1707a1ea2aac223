// The presented frame's pixels widened to 32 bits: every RGB565 value, at every place of a row
// (the vector steps and the tail), repeats its channels' top bits and narrows back exactly.
#include <gtest/gtest.h>

#include <vector>

#include "platform/display/Widen.h"

namespace display = platform::display;

TEST(Widen, EveryValueWidensByRepeatingItsTopBitsAndNarrowsBack) {
    std::vector<uint16_t> all(65536 + 37);
    for (size_t i = 0; i < all.size(); ++i) all[i] = uint16_t(i * 40503u);  // every value, shuffled
    std::vector<uint32_t> wide(all.size());
    for (const int32_t offset : {0, 1, 5}) {
        display::WidenRow(all.data() + offset, wide.data() + offset, int32_t(all.size()) - offset);
        for (size_t i = size_t(offset); i < all.size(); ++i) {
            const uint16_t v = all[i];
            const uint32_t r = v >> 11, g = (v >> 5) & 63, b = v & 31;
            ASSERT_EQ(wide[i], 0xFF000000u | (r << 3 | r >> 2) << 16 | (g << 2 | g >> 4) << 8 | (b << 3 | b >> 2)) << i;
            ASSERT_EQ(display::Narrow(wide[i]), v);
        }
    }
}
