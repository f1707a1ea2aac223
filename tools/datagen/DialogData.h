// Data of the native dialogs: window regions, the message box's layout record, and shaped
// backgrounds and button sheets small enough for tests.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/datagen/Bmp.h"

namespace datagen {

struct RegionRectangle {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

// Region data as the game data stores it: a 16-bit length, then a 32-byte header (size 32,
// type 1, rectangle count, bytes of rectangles, bounds) and the rectangles. A count of
// rectangles too large for the 16-bit length raises std::length_error.
std::string RegionBytes(const std::vector<RegionRectangle>& rects);
// The same with every header field as given, for damaged data; the length counts what is
// written unless `length` is given.
struct RegionHeader {
    int32_t headerSize = 32;
    int32_t type = 1;
    std::optional<int32_t> count{};  // default: the rectangles given
    std::optional<int32_t> bytes{};  // default: 16 per rectangle given
    std::optional<int32_t> length{}; // default: the bytes written
};
std::string RegionBytes(const std::vector<RegionRectangle>& rects, const RegionHeader& header);

// The message box's layout record: 13 entries of left, top, width, height.
using MsgPosRecord = std::array<RegionRectangle, 13>;  // right and bottom hold width and height
std::string MsgPosBytes(const MsgPosRecord& record);

// The colour around shaped backgrounds and in the corners of button sheets.
inline constexpr uint32_t kDialogKey = 0xFF00FF;

// A shaped background at 24 bits: an opaque ellipse filling the picture, the key colour
// around it (so pixel (1, 1) is the key), its inside a gradient that never equals the key.
BmpPicture EllipseBackground(int width, int height);
// Whether a pixel of EllipseBackground is inside the ellipse.
bool InsideEllipse(int width, int height, int x, int y);
// A button of four frames stacked vertically, each `width` x `frameHeight`: frame f filled
// with FrameColor(f), its corner pixels the key colour.
BmpPicture ButtonSheet(int width, int frameHeight);
uint32_t ButtonFrameColor(int frame);
// A plain picture of one colour ($RRGGBB).
BmpPicture PlainPicture(int width, int height, uint32_t color);

}  // namespace datagen
