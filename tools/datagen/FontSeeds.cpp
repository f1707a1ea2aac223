// Seeds for fuzz_font_file: a small TrueType font written from code, family "Fuzz Sans" (a
// box for letters, a triangle for digits, an empty space), its bold face, and damaged copies.
#include <algorithm>
#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "tools/datagen/Seeds.h"

namespace {

class Bytes {
public:
    Bytes& U16(uint32_t v) {
        s_.push_back(static_cast<char>((v >> 8) & 0xFF));
        s_.push_back(static_cast<char>(v & 0xFF));
        return *this;
    }
    Bytes& U32(uint32_t v) { return U16(v >> 16).U16(v & 0xFFFF); }
    Bytes& Raw(const std::string& bytes) {
        s_ += bytes;
        return *this;
    }
    Bytes& Pad(size_t n) {
        while (s_.size() % n) s_.push_back('\0');
        return *this;
    }
    const std::string& Str() const { return s_; }
    size_t Size() const { return s_.size(); }

private:
    std::string s_;  // big-endian, as TrueType stores everything
};

struct Point {
    int16_t x, y;
};

// A glyph of one closed contour of on-curve points (none: an empty glyph).
std::string Glyph(const std::vector<Point>& points) {
    if (points.empty()) return {};
    int16_t x0 = points[0].x, y0 = points[0].y, x1 = x0, y1 = y0;
    for (const Point& p : points) {
        x0 = std::min(x0, p.x), y0 = std::min(y0, p.y), x1 = std::max(x1, p.x), y1 = std::max(y1, p.y);
    }
    Bytes b;
    b.U16(1).U16(uint16_t(x0)).U16(uint16_t(y0)).U16(uint16_t(x1)).U16(uint16_t(y1));
    b.U16(uint16_t(points.size() - 1)).U16(0);  // end point of the contour, no instructions
    for (size_t i = 0; i < points.size(); ++i) b.Raw(std::string(1, '\x01'));  // on the curve, 16-bit deltas
    int16_t last = 0;
    for (const Point& p : points) b.U16(uint16_t(p.x - last)), last = p.x;
    last = 0;
    for (const Point& p : points) b.U16(uint16_t(p.y - last)), last = p.y;
    return b.Pad(2).Str();
}

std::string Utf16(const std::string& ascii) {
    std::string out;
    for (char c : ascii) out += std::string{'\0', c};
    return out;
}

std::string Font(bool bold) {
    const std::vector<std::string> glyphs = {
        Glyph({{50, 0}, {50, 700}, {450, 700}, {450, 0}}),   // .notdef
        Glyph({{60, 0}, {60, 650}, {bold ? int16_t(560) : int16_t(500), 650}, {500, 0}}),  // letters
        Glyph({{40, 0}, {250, 700}, {460, 0}}),              // digits
        Glyph({})};                                          // space
    const uint16_t count = uint16_t(glyphs.size());

    std::map<std::string, std::string> tables;
    Bytes glyf, loca;
    for (const std::string& g : glyphs) {
        loca.U16(uint16_t(glyf.Size() / 2));
        glyf.Raw(g);
    }
    loca.U16(uint16_t(glyf.Size() / 2));
    tables["glyf"] = glyf.Str();
    tables["loca"] = loca.Str();

    Bytes head;
    head.U32(0x00010000).U32(0x00010000).U32(0).U32(0x5F0F3CF5).U16(0x000B).U16(1000);
    head.U32(0).U32(0).U32(0).U32(0);              // created, modified
    head.U16(0).U16(0).U16(560).U16(700);          // bounds
    head.U16(bold ? 1 : 0).U16(8).U16(2).U16(0).U16(0);  // style, smallest size, direction, short offsets
    tables["head"] = head.Str();

    Bytes hhea;
    hhea.U32(0x00010000).U16(800).U16(uint16_t(-200)).U16(90).U16(600).U16(0).U16(0).U16(600);
    hhea.U16(1).U16(0).U16(0).U16(0).U16(0).U16(0).U16(0).U16(0).U16(count);
    tables["hhea"] = hhea.Str();

    Bytes maxp;
    maxp.U32(0x00010000).U16(count).U16(4).U16(1).U16(0).U16(0).U16(2);
    for (int i = 0; i < 8; ++i) maxp.U16(0);
    tables["maxp"] = maxp.Str();

    Bytes hmtx;
    for (uint16_t g = 0; g < count; ++g) hmtx.U16(g == 3 ? 250 : 600).U16(g == 3 ? 0 : 40);
    tables["hmtx"] = hmtx.Str();

    // Format 4: space, digits, capitals, small letters, the end.
    struct Segment {
        uint16_t first, last, glyph;
    };
    const std::vector<Segment> segments = {{0x20, 0x20, 3}, {0x30, 0x39, 2}, {0x41, 0x5A, 1}, {0x61, 0x7A, 1},
                                           {0xFFFF, 0xFFFF, 0}};
    const uint16_t segX2 = uint16_t(segments.size() * 2);
    Bytes sub;
    sub.U16(4).U16(uint16_t(16 + segments.size() * 8)).U16(0).U16(segX2).U16(8).U16(2).U16(uint16_t(segX2 - 8));
    for (const Segment& s : segments) sub.U16(s.last);
    sub.U16(0);
    for (const Segment& s : segments) sub.U16(s.first);
    for (const Segment& s : segments) sub.U16(s.first == 0xFFFF ? 1 : uint16_t(s.glyph - s.first));
    for (size_t i = 0; i < segments.size(); ++i) sub.U16(0);
    Bytes cmap;
    cmap.U16(0).U16(1).U16(3).U16(1).U32(12).Raw(sub.Str());
    tables["cmap"] = cmap.Str();

    const std::vector<std::pair<uint16_t, std::string>> names = {
        {1, "Fuzz Sans"}, {2, bold ? "Bold" : "Regular"}, {4, bold ? "Fuzz Sans Bold" : "Fuzz Sans"},
        {6, bold ? "FuzzSans-Bold" : "FuzzSans"}};
    Bytes name, strings;
    name.U16(0).U16(uint16_t(names.size())).U16(uint16_t(6 + 12 * names.size()));
    for (const auto& [id, text] : names) {
        const std::string utf16 = Utf16(text);
        name.U16(3).U16(1).U16(0x409).U16(id).U16(uint16_t(utf16.size())).U16(uint16_t(strings.Size()));
        strings.Raw(utf16);
    }
    tables["name"] = name.Raw(strings.Str()).Str();

    Bytes post;
    post.U32(0x00030000).U32(0).U16(uint16_t(-100)).U16(50).U32(0).U32(0).U32(0).U32(0).U32(0);
    tables["post"] = post.Str();

    // The directory, the tables in tag order on four-byte boundaries.
    const uint16_t n = uint16_t(tables.size());
    Bytes file;
    file.U32(0x00010000).U16(n).U16(128).U16(3).U16(uint16_t(n * 16 - 128));
    size_t offset = 12 + 16 * size_t(n);
    for (const auto& [tag, data] : tables) {
        uint32_t sum = 0;
        std::string padded = data;
        padded.resize((padded.size() + 3) / 4 * 4, '\0');
        for (size_t i = 0; i < padded.size(); i += 4)
            sum += uint32_t(uint8_t(padded[i])) << 24 | uint32_t(uint8_t(padded[i + 1])) << 16 |
                   uint32_t(uint8_t(padded[i + 2])) << 8 | uint32_t(uint8_t(padded[i + 3]));
        file.Raw(tag).U32(sum).U32(uint32_t(offset)).U32(uint32_t(data.size()));
        offset += padded.size();
    }
    for (const auto& [tag, data] : tables) file.Raw(data).Pad(4);
    return file.Str();
}

const datagen::SeedWriter fontSeeds("fuzz_font_file", [](const datagen::SeedSink& put) {
    const std::string regular = Font(false);
    put("fuzz_sans", regular);
    put("fuzz_sans_bold", Font(true));
    put("cut", regular.substr(0, regular.size() / 2));
    std::string many = regular;
    many[4] = '\x7F';  // a table count far beyond the directory
    put("table_count", many);
    put("not_a_font", "This is no font at all, only words.");
});

}  // namespace
