// Window regions stored in the game data: a 16-bit byte count, then the system's region data
// (a 32-byte header: its own size 32, type 1 for rectangles, the rectangle count, the bytes
// of rectangles, the bounds; then left, top, right, bottom of each rectangle, all int32).
#include "engine/gpUtils.h"
#include "platform/window/Region.h"
#include "rtl/Exceptions.h"
#include "rtl/Streams.h"

namespace engine {

namespace {

constexpr int32_t kHeaderSize = 32;
constexpr int32_t kRectangles = 1;
constexpr int32_t kRectSize = 16;
// The coordinates a window system takes (X11's are 16-bit).
constexpr int32_t kCoordinateLimit = 32767;

[[noreturn]] void Damaged(const char* what) { throw rtl::EReadError(std::string("Region data: ") + what); }

bool Coordinate(int32_t v) { return v >= -kCoordinateLimit && v <= kCoordinateLimit; }

}  // namespace

platform::window::Region RegionFromStream(rtl::Stream& stream) {
    const int64_t start = stream.Position();
    const uint16_t size = stream.ReadValue<uint16_t>();
    if (size > stream.Remaining()) Damaged("the size runs past the entry");
    if (size < kHeaderSize) Damaged("the size leaves no room for the header");

    const int32_t headerSize = stream.ReadValue<int32_t>();
    const int32_t type = stream.ReadValue<int32_t>();
    const int32_t count = stream.ReadValue<int32_t>();
    const int32_t bytes = stream.ReadValue<int32_t>();
    for (int i = 0; i < 4; ++i) stream.ReadValue<int32_t>();  // the bounds: recomputed from the rectangles
    if (headerSize != kHeaderSize || type != kRectangles) Damaged("not a list of rectangles");
    const int32_t room = (size - kHeaderSize) / kRectSize;
    if (count < 0 || count > room) Damaged("more rectangles than its size holds");
    // The byte count may be 0; otherwise it covers the rectangles and lies within the size.
    if (bytes != 0 && (bytes < count * kRectSize || bytes > size - kHeaderSize)) Damaged("a wrong byte count");

    std::vector<platform::window::RegionRect> rects(static_cast<size_t>(count));
    for (auto& r : rects) {
        r.Left = stream.ReadValue<int32_t>();
        r.Top = stream.ReadValue<int32_t>();
        r.Right = stream.ReadValue<int32_t>();
        r.Bottom = stream.ReadValue<int32_t>();
        if (!Coordinate(r.Left) || !Coordinate(r.Top) || !Coordinate(r.Right) || !Coordinate(r.Bottom))
            Damaged("a coordinate out of range");
        if (r.Left > r.Right || r.Top > r.Bottom) Damaged("a rectangle turned inside out");
    }
    stream.SetPosition(start + 2 + size);
    return platform::window::Region::FromRects(rects);
}

}  // namespace engine
