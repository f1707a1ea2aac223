#include "tools/datagen/DialogData.h"

#include <algorithm>
#include <stdexcept>

namespace datagen {

namespace {

void Put32(std::string& out, int32_t v) {
    for (int i = 0; i < 4; ++i) out.push_back(static_cast<char>(static_cast<uint32_t>(v) >> (8 * i)));
}

}  // namespace

std::string RegionBytes(const std::vector<RegionRectangle>& rects, const RegionHeader& header) {
    int32_t l = 0, t = 0, r = 0, b = 0;
    if (!rects.empty()) {
        l = t = INT32_MAX, r = b = INT32_MIN;
        for (const RegionRectangle& x : rects)
            l = std::min(l, x.left), t = std::min(t, x.top), r = std::max(r, x.right), b = std::max(b, x.bottom);
    }
    std::string data;
    Put32(data, header.headerSize);
    Put32(data, header.type);
    Put32(data, header.count.value_or(static_cast<int32_t>(rects.size())));
    Put32(data, header.bytes.value_or(static_cast<int32_t>(rects.size() * 16)));
    Put32(data, l), Put32(data, t), Put32(data, r), Put32(data, b);
    for (const RegionRectangle& x : rects) Put32(data, x.left), Put32(data, x.top), Put32(data, x.right), Put32(data, x.bottom);
    const int64_t length = header.length.value_or(static_cast<int32_t>(data.size()));
    if (length < 0 || length > 0xFFFF) throw std::length_error("region data too long for its 16-bit length");
    return std::string{static_cast<char>(length & 0xFF), static_cast<char>(length >> 8)} + data;
}

std::string RegionBytes(const std::vector<RegionRectangle>& rects) { return RegionBytes(rects, RegionHeader{}); }

std::string MsgPosBytes(const MsgPosRecord& record) {
    std::string out;
    for (const RegionRectangle& e : record) Put32(out, e.left), Put32(out, e.top), Put32(out, e.right), Put32(out, e.bottom);
    return out;
}

bool InsideEllipse(int width, int height, int x, int y) {
    const double a = width / 2.0, b = height / 2.0;
    const double dx = (x + 0.5 - a) / a, dy = (y + 0.5 - b) / b;
    return dx * dx + dy * dy <= 1.0;
}

BmpPicture EllipseBackground(int width, int height) {
    BmpPicture p;
    p.width = width, p.height = height, p.bitCount = 24;
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            p.pixels.push_back(InsideEllipse(width, height, x, y)
                                   ? static_cast<uint32_t>(0x204060 + (x * 255 / std::max(1, width - 1)) * 0x10000 / 2 + y)
                                   : kDialogKey);
    return p;
}

uint32_t ButtonFrameColor(int frame) {
    static const uint32_t colors[] = {0x3060A0, 0x606060, 0x203050, 0x50A0F0};
    return colors[frame & 3];
}

BmpPicture ButtonSheet(int width, int frameHeight) {
    BmpPicture p;
    p.width = width, p.height = frameHeight * 4, p.bitCount = 24;
    for (int f = 0; f < 4; ++f)
        for (int y = 0; y < frameHeight; ++y)
            for (int x = 0; x < width; ++x) {
                const bool corner = (x == 0 || x == width - 1) && (y == 0 || y == frameHeight - 1);
                p.pixels.push_back(corner ? kDialogKey : ButtonFrameColor(f));
            }
    return p;
}

BmpPicture PlainPicture(int width, int height, uint32_t color) {
    BmpPicture p;
    p.width = width, p.height = height, p.bitCount = 24;
    p.pixels.assign(static_cast<size_t>(width) * static_cast<size_t>(height), color);
    return p;
}

}  // namespace datagen
