// Window regions stored in the game data: read whole, and every damaged count, size and
// rectangle refused.
#include <gtest/gtest.h>

#include <vector>

#include "engine/gpUtils.h"
#include "platform/window/Region.h"
#include "rtl/Exceptions.h"
#include "rtl/Streams.h"
#include "tools/datagen/DialogData.h"

namespace pw = platform::window;
using datagen::RegionBytes;
using datagen::RegionRectangle;

namespace {

rtl::MemoryStream Stream(const std::string& bytes) { return rtl::MemoryStream(std::vector<uint8_t>(bytes.begin(), bytes.end())); }

pw::Region Read(const std::string& bytes) {
    rtl::MemoryStream stream = Stream(bytes);
    return engine::RegionFromStream(stream);
}

}  // namespace

TEST(RegionFromStream, ReadsTheRectanglesAndStopsAfterTheRegion) {
    const std::string data = RegionBytes({{0, 0, 10, 2}, {2, 2, 8, 6}, {0, 6, 10, 8}}) + "next";
    rtl::MemoryStream stream = Stream("xx" + data);
    stream.SetPosition(2);
    const pw::Region region = engine::RegionFromStream(stream);
    EXPECT_EQ(region.Bounds(), (pw::RegionRect{0, 0, 10, 8}));
    EXPECT_TRUE(region.Contains(1, 1));
    EXPECT_FALSE(region.Contains(1, 3));
    EXPECT_TRUE(region.Contains(7, 5));
    EXPECT_EQ(stream.Position(), int64_t(2 + data.size() - 4));
    // An empty list, a byte count of 0 and room left over after the rectangles all read.
    EXPECT_TRUE(Read(RegionBytes({})).Empty());
    EXPECT_EQ(Read(RegionBytes({{1, 1, 3, 3}}, {.bytes = 0})).Bounds(), (pw::RegionRect{1, 1, 3, 3}));
    std::string roomy = RegionBytes({{1, 1, 3, 3}}, {.length = 32 + 16 + 8});
    roomy += std::string(8, '\0');
    rtl::MemoryStream slack = Stream(roomy + "!");
    EXPECT_FALSE(engine::RegionFromStream(slack).Empty());
    EXPECT_EQ(slack.Position(), int64_t(roomy.size()));
}

TEST(RegionFromStream, DamagedDataRaisesReadError) {
    const std::vector<RegionRectangle> one{{1, 1, 5, 5}};
    const std::string whole = RegionBytes(one);
    const std::vector<std::pair<const char*, std::string>> damaged{
        {"no length", std::string(1, '\x30')},
        {"length past the entry", RegionBytes(one, {.length = 200})},
        {"cut inside the rectangles", whole.substr(0, whole.size() - 3)},
        {"length without room for the header", RegionBytes({}, {.length = 20}) + std::string(20, '\0')},
        {"header size", RegionBytes(one, {.headerSize = 40})},
        {"type", RegionBytes(one, {.type = 2})},
        {"negative count", RegionBytes(one, {.count = -1 - 0x7FFFFFFF})},
        {"count beyond the length", RegionBytes(one, {.count = 2})},
        {"huge count", RegionBytes(one, {.count = 0x10000000})},
        {"byte count too small", RegionBytes(one, {.bytes = 8})},
        {"byte count beyond the length", RegionBytes(one, {.bytes = 64})},
        {"inverted rectangle", RegionBytes({{5, 1, 1, 5}})},
        {"coordinate out of range", RegionBytes({{0, 0, 70000, 5}})},
        {"negative coordinate out of range", RegionBytes({{-40000, 0, 5, 5}})},
    };
    for (const auto& [what, bytes] : damaged) EXPECT_THROW(Read(bytes), rtl::EReadError) << what;
}
