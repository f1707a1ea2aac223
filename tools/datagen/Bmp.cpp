#include "tools/datagen/Bmp.h"

#include <algorithm>

#include "rtl/Streams.h"
#include "tools/datagen/Commands.h"
#include "tools/datagen/Container.h"
#include "tools/datagen/Seeds.h"

namespace datagen {
namespace {

void Put16(std::string& out, uint32_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>((v >> 8) & 0xFF));
}
void Put32(std::string& out, uint32_t v) { out += Int32Bytes(static_cast<int32_t>(v)); }

void DefaultMasks(const BmpPicture& p, uint32_t& r, uint32_t& g, uint32_t& b) {
    r = p.rMask, g = p.gMask, b = p.bMask;
    if (r | g | b) return;
    if (p.bitCount == 16) r = 0x7C00, g = 0x3E0, b = 0x1F;
    else r = 0xFF0000, g = 0xFF00, b = 0xFF;
}

std::string PackedRow(const BmpPicture& p, int y) {
    const size_t rowSize = ((static_cast<size_t>(p.bitCount) * static_cast<size_t>(p.width) + 31) / 32) * 4;
    std::string row(rowSize, '\0');
    for (int x = 0; x < p.width; ++x) {
        const uint32_t v = p.at(x, y);
        const auto ux = static_cast<size_t>(x);
        switch (p.bitCount) {
            case 1: if (v & 1) row[ux / 8] = static_cast<char>(row[ux / 8] | (0x80 >> (ux % 8))); break;
            case 4: row[ux / 2] = static_cast<char>(row[ux / 2] | ((ux & 1) ? (v & 15) : (v & 15) << 4)); break;
            case 8: row[ux] = static_cast<char>(v); break;
            case 16: row[2 * ux] = static_cast<char>(v); row[2 * ux + 1] = static_cast<char>(v >> 8); break;
            case 24: row[3 * ux] = static_cast<char>(v); row[3 * ux + 1] = static_cast<char>(v >> 8);
                     row[3 * ux + 2] = static_cast<char>(v >> 16); break;
            case 32: for (size_t k = 0; k < 4; ++k) row[4 * ux + k] = static_cast<char>(v >> (8 * k)); break;
        }
    }
    return row;
}

}  // namespace

BmpPicture TestPicture(int width, int height, int bitCount, uint32_t rMask, uint32_t gMask, uint32_t bMask) {
    BmpPicture p;
    p.width = width, p.height = height, p.bitCount = bitCount, p.rMask = rMask, p.gMask = gMask, p.bMask = bMask;
    const uint32_t colors = bitCount <= 8 ? 1u << bitCount : 0;
    for (uint32_t i = 0; i < colors; ++i) p.palette.push_back((i * 0x3B7 + 0x102030) & 0xFFFFFF);
    uint32_t r, g, b;
    DefaultMasks(p, r, g, b);
    const uint32_t all = bitCount == 16 ? (r | g | b) : bitCount == 32 ? (r | g | b) : 0xFFFFFF;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; ++x) {
            // Runs of one value (for RLE), a zero border (for deltas) and a varying middle.
            uint32_t v = (x < 5 || y == 0) ? 0 : ((x / 7) % 3 == 0 ? static_cast<uint32_t>(y) : static_cast<uint32_t>(x * 31 + y * 17));
            v = colors ? v % colors : (v * 0x9E3779B1u) & all;
            p.pixels.push_back(v);
        }
    }
    return p;
}

std::string EncodeRLE(const BmpPicture& p, bool delta) {
    const bool rle8 = p.bitCount == 8;
    std::string out;
    auto code = [&](int a, int b) { out.push_back(static_cast<char>(a)); out.push_back(static_cast<char>(b)); };
    for (int y = p.height - 1; y >= 0; --y) {
        int x = 0;
        while (x < p.width) {
            if (delta) {
                int zeros = 0;
                while (x + zeros < p.width && p.at(x + zeros, y) == 0 && zeros < 255) ++zeros;
                if (zeros >= 4) {
                    code(0, 2), code(zeros, 0);
                    x += zeros;
                    continue;
                }
            }
            int run = 1;
            while (x + run < p.width && run < 255 && p.at(x + run, y) == p.at(x, y)) ++run;
            if (run >= 3 || p.width - x < 3) {
                const int n = std::min(run, p.width - x);
                const uint32_t v = p.at(x, y);
                code(n, rle8 ? static_cast<int>(v) : static_cast<int>((v << 4) | v));
                x += n;
                continue;
            }
            // An absolute run up to the next run of three.
            int n = 0;
            while (x + n < p.width && n < 255) {
                if (x + n + 2 < p.width && p.at(x + n, y) == p.at(x + n + 1, y) && p.at(x + n, y) == p.at(x + n + 2, y)) break;
                ++n;
            }
            if (n < 3) {
                code(1, rle8 ? static_cast<int>(p.at(x, y)) : static_cast<int>(p.at(x, y) << 4));
                ++x;
                continue;
            }
            code(0, n);
            std::string bytes;
            for (int k = 0; k < n; ++k) {
                const uint32_t v = p.at(x + k, y);
                if (rle8) bytes.push_back(static_cast<char>(v));
                else if (k % 2 == 0) bytes.push_back(static_cast<char>(v << 4));
                else bytes.back() = static_cast<char>(bytes.back() | static_cast<char>(v & 15));
            }
            if (bytes.size() & 1) bytes.push_back('\0');
            out += bytes;
            x += n;
        }
        if (y > 0) code(0, 0);
    }
    code(0, 1);
    return out;
}

std::string EncodeBmp(const BmpPicture& p, const BmpOptions& o) {
    std::string pixels;
    int compression = 0;
    if (o.rle && (p.bitCount == 8 || p.bitCount == 4)) {
        pixels = EncodeRLE(p, o.rleDelta);
        compression = p.bitCount == 8 ? 1 : 2;
    } else {
        if (o.topDown) for (int y = 0; y < p.height; ++y) pixels += PackedRow(p, y);
        else for (int y = p.height - 1; y >= 0; --y) pixels += PackedRow(p, y);
        if (o.bitFields || p.rMask) compression = 3;
    }
    uint32_t r, g, b;
    DefaultMasks(p, r, g, b);
    std::string info;
    if (o.core) {
        Put32(info, 12), Put16(info, static_cast<uint32_t>(p.width)), Put16(info, static_cast<uint32_t>(p.height));
        Put16(info, 1), Put16(info, static_cast<uint32_t>(p.bitCount));
        for (uint32_t c : p.palette) info += std::string{static_cast<char>(c), static_cast<char>(c >> 8), static_cast<char>(c >> 16)};
    } else {
        const uint32_t size = o.infoSize;
        Put32(info, size), Put32(info, static_cast<uint32_t>(p.width));
        Put32(info, static_cast<uint32_t>(o.topDown ? -p.height : p.height));
        Put16(info, 1), Put16(info, static_cast<uint32_t>(p.bitCount)), Put32(info, static_cast<uint32_t>(compression));
        Put32(info, static_cast<uint32_t>(pixels.size())), Put32(info, 2835), Put32(info, 2835);
        Put32(info, o.colorsUsed >= 0 ? static_cast<uint32_t>(o.colorsUsed) : static_cast<uint32_t>(p.palette.size()));
        Put32(info, 0);
        if (size >= 52) {
            Put32(info, compression == 3 ? r : 0), Put32(info, compression == 3 ? g : 0), Put32(info, compression == 3 ? b : 0);
            info.resize(size, '\0');
        } else if (compression == 3) {
            Put32(info, r), Put32(info, g), Put32(info, b);
        }
        const size_t colors = o.colorsUsed > 0 ? std::min<size_t>(static_cast<size_t>(o.colorsUsed), p.palette.size()) : p.palette.size();
        for (size_t i = 0; i < colors; ++i) Put32(info, p.palette[i]);
    }
    info += std::string(o.gap, '\x5A');
    std::string out = "BM";
    Put32(out, static_cast<uint32_t>(14 + info.size() + pixels.size()));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(14 + info.size()));
    return out + info + pixels;
}

namespace {

const Command bmpCommand("bmp", "bmp OUT DEPTH [rle] [delta] [topdown] [core] [v4|v5] [bitfields]  write a test picture",
    [](const std::vector<std::string>& args) {
        if (args.size() < 2) return 2;
        BmpOptions o;
        for (size_t i = 2; i < args.size(); ++i) {
            const std::string& a = args[i];
            if (a == "rle") o.rle = true;
            else if (a == "delta") o.rleDelta = true;
            else if (a == "topdown") o.topDown = true;
            else if (a == "core") o.core = true;
            else if (a == "v4") o.infoSize = 108;
            else if (a == "v5") o.infoSize = 124;
            else if (a == "bitfields") o.bitFields = true;
            else return 2;
        }
        std::string bytes = EncodeBmp(TestPicture(37, 23, std::stoi(args[1])), o);
        rtl::WriteFileAtomically(args[0], bytes.data(), bytes.size());
        return 0;
    });

const SeedWriter bmpSeeds("fuzz_bmp", [](const SeedSink& put) {
    for (int bits : {1, 4, 8, 16, 24, 32}) put("plain" + std::to_string(bits), EncodeBmp(TestPicture(19, 7, bits)));
    put("rle8", EncodeBmp(TestPicture(33, 9, 8), {.rle = true, .rleDelta = true}));
    put("rle4", EncodeBmp(TestPicture(33, 9, 4), {.rle = true, .rleDelta = true}));
    put("core", EncodeBmp(TestPicture(9, 9, 8), {.core = true}));
    put("topdown", EncodeBmp(TestPicture(9, 9, 24), {.topDown = true}));
    put("v5", EncodeBmp(TestPicture(9, 9, 16, 0xF800, 0x7E0, 0x1F), {.infoSize = 124, .bitFields = true}));
    put("gap", EncodeBmp(TestPicture(9, 9, 8), {.gap = 7}));
});

}  // namespace
}  // namespace datagen
