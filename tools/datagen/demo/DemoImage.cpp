#include "tools/datagen/demo/DemoImage.h"

#include <algorithm>
#include <cmath>
#include <map>
#include <stdexcept>

#include "tools/datagen/Jpeg.h"
#include "tools/datagen/demo/DemoRandom.h"

namespace datagen::demo {

namespace {

uint8_t Channel(double v) { return static_cast<uint8_t>(std::clamp(std::lround(v), 0L, 255L)); }

double Smooth(double t) { return t * t * (3.0 - 2.0 * t); }

}  // namespace

Rgb Mix(Rgb a, Rgb b, double t) {
    t = std::clamp(t, 0.0, 1.0);
    return {Channel(a.r + (b.r - a.r) * t), Channel(a.g + (b.g - a.g) * t), Channel(a.b + (b.b - a.b) * t)};
}

Rgb Shade(Rgb c, double f) {
    if (f <= 1.0) return {Channel(c.r * f), Channel(c.g * f), Channel(c.b * f)};
    return Mix(c, Rgb{255, 255, 255}, std::min(1.0, f - 1.0));
}

double Luma(Rgb c) { return 0.299 * c.r + 0.587 * c.g + 0.114 * c.b; }

uint16_t To565(Rgb c) { return static_cast<uint16_t>((c.r >> 3) << 11 | (c.g >> 2) << 5 | (c.b >> 3)); }

Rgb AvoidKey(Rgb c, Rgb key) {
    if (To565(c) != To565(key)) return c;
    // One green step (the finest channel) away from the key, towards the middle grey.
    const int g = c.g >= 128 ? c.g - 4 : c.g + 4;
    return {c.r, static_cast<uint8_t>(g), c.b};
}

Rgb Hsv(double hue, double s, double v) {
    hue = std::fmod(std::fmod(hue, 360.0) + 360.0, 360.0) / 60.0;
    const int i = static_cast<int>(hue);
    const double f = hue - i, p = v * (1 - s), q = v * (1 - s * f), t = v * (1 - s * (1 - f));
    double r = v, g = t, b = p;
    switch (i) {
        case 1: r = q, g = v, b = p; break;
        case 2: r = p, g = v, b = t; break;
        case 3: r = p, g = q, b = v; break;
        case 4: r = t, g = p, b = v; break;
        case 5: r = v, g = p, b = q; break;
        default: break;
    }
    return {Channel(r * 255), Channel(g * 255), Channel(b * 255)};
}

// ---- Image ----

Image::Image(int width, int height)
    : width_(std::max(0, width)), height_(std::max(0, height)),
      color_(static_cast<size_t>(width_) * static_cast<size_t>(height_)),
      opaque_(color_.size(), 0) {}

Image::Image(int width, int height, Rgb fill) : Image(width, height) {
    std::fill(color_.begin(), color_.end(), fill);
    std::fill(opaque_.begin(), opaque_.end(), uint8_t{1});
}

size_t Image::OpaqueCount() const { return static_cast<size_t>(std::count(opaque_.begin(), opaque_.end(), uint8_t{1})); }

void Image::Set(int x, int y, Rgb c) {
    if (!Inside(x, y)) return;
    color_[Index(x, y)] = c;
    opaque_[Index(x, y)] = 1;
}

void Image::Clear(int x, int y) {
    if (!Inside(x, y)) return;
    color_[Index(x, y)] = Rgb{};
    opaque_[Index(x, y)] = 0;
}

void Image::Cover(int x, int y, Rgb c, double coverage) {
    if (!Inside(x, y) || coverage <= 0) return;
    const size_t i = Index(x, y);
    if (opaque_[i]) color_[i] = Mix(color_[i], c, coverage);
    else if (coverage >= 0.5) color_[i] = c, opaque_[i] = 1;
}

void Image::Tint(int x, int y, Rgb c, double alpha) {
    if (!Inside(x, y) || alpha <= 0) return;
    const size_t i = Index(x, y);
    if (opaque_[i]) color_[i] = Mix(color_[i], c, alpha);
}

void Image::Paste(const Image& src, int x, int y) {
    for (int sy = 0; sy < src.height_; ++sy)
        for (int sx = 0; sx < src.width_; ++sx)
            if (src.Opaque(sx, sy)) Set(x + sx, y + sy, src.At(sx, sy));
}

void Image::Place(const Image& src, int x, int y) {
    for (int sy = 0; sy < src.height_; ++sy)
        for (int sx = 0; sx < src.width_; ++sx) {
            if (src.Opaque(sx, sy)) Set(x + sx, y + sy, src.At(sx, sy));
            else Clear(x + sx, y + sy);
        }
}

Image Image::Crop(int x, int y, int w, int h) const {
    Image out(w, h);
    for (int yy = 0; yy < h; ++yy)
        for (int xx = 0; xx < w; ++xx)
            if (Inside(x + xx, y + yy) && Opaque(x + xx, y + yy)) out.Set(xx, yy, At(x + xx, y + yy));
    return out;
}

// ---- Shapes ----

Sdf CircleSdf(double cx, double cy, double radius) {
    return [=](double x, double y) { return std::hypot(x - cx, y - cy) - radius; };
}

Sdf EllipseSdf(double cx, double cy, double rx, double ry) {
    // Distance scaled by the gradient: close to the true distance near the outline.
    return [=](double x, double y) {
        const double nx = (x - cx) / rx, ny = (y - cy) / ry;
        const double k = std::hypot(nx, ny);
        const double g = std::hypot(nx / rx, ny / ry);
        return g > 1e-9 ? (k - 1.0) * k / g : -std::min(rx, ry);
    };
}

Sdf RoundRectSdf(double x, double y, double w, double h, double radius) {
    const double cx = x + w / 2, cy = y + h / 2, hx = w / 2 - radius, hy = h / 2 - radius;
    return [=](double px, double py) {
        const double qx = std::abs(px - cx) - hx, qy = std::abs(py - cy) - hy;
        return std::hypot(std::max(qx, 0.0), std::max(qy, 0.0)) + std::min(std::max(qx, qy), 0.0) - radius;
    };
}

Sdf SegmentSdf(double x0, double y0, double x1, double y1, double halfWidth) {
    return [=](double px, double py) {
        const double dx = x1 - x0, dy = y1 - y0;
        const double len2 = dx * dx + dy * dy;
        const double t = len2 > 0 ? std::clamp(((px - x0) * dx + (py - y0) * dy) / len2, 0.0, 1.0) : 0.0;
        return std::hypot(px - (x0 + t * dx), py - (y0 + t * dy)) - halfWidth;
    };
}

Sdf PolygonSdf(std::vector<std::pair<double, double>> pts) {
    return [pts = std::move(pts)](double px, double py) {
        double best = 1e18;
        bool inside = false;
        for (size_t i = 0, j = pts.size() - 1; i < pts.size(); j = i++) {
            const auto [xi, yi] = pts[i];
            const auto [xj, yj] = pts[j];
            const double ex = xj - xi, ey = yj - yi;
            const double len2 = ex * ex + ey * ey;
            const double t = len2 > 0 ? std::clamp(((px - xi) * ex + (py - yi) * ey) / len2, 0.0, 1.0) : 0.0;
            best = std::min(best, std::hypot(px - (xi + t * ex), py - (yi + t * ey)));
            if ((yi > py) != (yj > py) && px < xi + (py - yi) * ex / ey) inside = !inside;
        }
        return inside ? -best : best;
    };
}

Sdf Union(Sdf a, Sdf b) {
    return [a = std::move(a), b = std::move(b)](double x, double y) { return std::min(a(x, y), b(x, y)); };
}

Sdf Subtract(Sdf a, Sdf b) {
    return [a = std::move(a), b = std::move(b)](double x, double y) { return std::max(a(x, y), -b(x, y)); };
}

void Fill(Image& image, const Sdf& shape, const Shader& shader) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double d = shape(px, py);
            if (d >= 0.5) continue;
            image.Cover(x, y, shader(px, py, d), std::min(1.0, 0.5 - d));
        }
}

void Fill(Image& image, const Sdf& shape, Rgb color) {
    Fill(image, shape, [color](double, double, double) { return color; });
}

void Overlay(Image& image, const Sdf& shape, const Shader& shader, double alpha) {
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const double px = x + 0.5, py = y + 0.5;
            const double d = shape(px, py);
            if (d >= 0.5) continue;
            image.Tint(x, y, shader(px, py, d), alpha * std::min(1.0, 0.5 - d));
        }
}

double Bevel(const Sdf& shape, double x, double y, double d, double width) {
    const double depth = -d;
    if (depth >= width) return 0.0;
    const double e = 0.35;
    double nx = shape(x + e, y) - shape(x - e, y);
    double ny = shape(x, y + e) - shape(x, y - e);
    const double len = std::hypot(nx, ny);
    if (len < 1e-9) return 0.0;
    nx /= len, ny /= len;
    // Towards the light: the upper left, a little more from above.
    const double lx = -0.55, ly = -0.835;
    const double falloff = 1.0 - std::max(0.0, depth) / width;
    return std::clamp(nx * lx + ny * ly, -1.0, 1.0) * (0.35 + 0.65 * falloff);
}

double TileNoise(double x, double y, double period, int cells, uint32_t seed) {
    const double scale = cells / period;
    const double fx = x * scale, fy = y * scale;
    const int ix = static_cast<int>(std::floor(fx)), iy = static_cast<int>(std::floor(fy));
    const double tx = Smooth(fx - ix), ty = Smooth(fy - iy);
    auto value = [&](int cx, int cy) {
        cx = ((cx % cells) + cells) % cells;
        cy = ((cy % cells) + cells) % cells;
        return (LatticeHash(cx, cy, seed) & 0xFFFF) / 65535.0;
    };
    const double a = value(ix, iy), b = value(ix + 1, iy), c = value(ix, iy + 1), d = value(ix + 1, iy + 1);
    return (a + (b - a) * tx) * (1 - ty) + (c + (d - c) * tx) * ty;
}

double TileFractal(double x, double y, double period, int cells, int octaves, uint32_t seed) {
    double sum = 0, weight = 0, amp = 1;
    for (int o = 0; o < octaves; ++o) {
        sum += amp * TileNoise(x, y, period, cells << o, seed + static_cast<uint32_t>(o) * 7919u);
        weight += amp;
        amp *= 0.5;
    }
    return sum / weight;
}

// ---- Encoding ----

namespace {

struct Box {
    std::vector<Rgb> colors;
    int Spread(int channel) const {
        int lo = 255, hi = 0;
        for (Rgb c : colors) {
            const int v = channel == 0 ? c.r : channel == 1 ? c.g : c.b;
            lo = std::min(lo, v), hi = std::max(hi, v);
        }
        return hi - lo;
    }
};

// Median cut over the distinct colours, at most `count` entries.
std::vector<Rgb> MedianCut(const std::vector<Rgb>& colors, size_t count) {
    std::vector<Box> boxes{Box{colors}};
    while (boxes.size() < count) {
        size_t best = boxes.size();
        int bestSpread = 0;
        for (size_t i = 0; i < boxes.size(); ++i) {
            if (boxes[i].colors.size() < 2) continue;
            const int s = std::max({boxes[i].Spread(0), boxes[i].Spread(1), boxes[i].Spread(2)});
            if (s > bestSpread) bestSpread = s, best = i;
        }
        if (best == boxes.size()) break;
        Box& box = boxes[best];
        const int s0 = box.Spread(0), s1 = box.Spread(1), s2 = box.Spread(2);
        const int channel = s0 >= s1 && s0 >= s2 ? 0 : s1 >= s2 ? 1 : 2;
        auto key = [channel](Rgb c) { return channel == 0 ? c.r : channel == 1 ? c.g : c.b; };
        std::stable_sort(box.colors.begin(), box.colors.end(), [&](Rgb a, Rgb b) { return key(a) < key(b); });
        const auto mid = box.colors.begin() + static_cast<std::ptrdiff_t>(box.colors.size() / 2);
        Box upper{std::vector<Rgb>(mid, box.colors.end())};
        box.colors.erase(mid, box.colors.end());
        boxes.push_back(std::move(upper));
    }
    std::vector<Rgb> palette;
    for (const Box& b : boxes) {
        double r = 0, g = 0, bl = 0;
        for (Rgb c : b.colors) r += c.r, g += c.g, bl += c.b;
        const double n = static_cast<double>(b.colors.size());
        palette.push_back({Channel(r / n), Channel(g / n), Channel(bl / n)});
    }
    return palette;
}

int Nearest(const std::vector<Rgb>& palette, size_t first, Rgb c) {
    int best = static_cast<int>(first);
    long bestD = -1;
    for (size_t i = first; i < palette.size(); ++i) {
        const long dr = palette[i].r - c.r, dg = palette[i].g - c.g, db = palette[i].b - c.b;
        const long d = 3 * dr * dr + 4 * dg * dg + 2 * db * db;
        if (bestD < 0 || d < bestD) bestD = d, best = static_cast<int>(i);
    }
    return best;
}

}  // namespace

BmpPicture ToBmpPicture(const Image& image, Rgb key, int bitCount) {
    BmpPicture p;
    p.width = image.Width(), p.height = image.Height(), p.bitCount = bitCount;
    p.pixels.reserve(static_cast<size_t>(p.width) * static_cast<size_t>(p.height));
    if (bitCount == 24 || bitCount == 16) {
        if (bitCount == 16) p.rMask = 0xF800, p.gMask = 0x07E0, p.bMask = 0x001F;
        for (int y = 0; y < p.height; ++y)
            for (int x = 0; x < p.width; ++x) {
                const Rgb c = image.Opaque(x, y) ? AvoidKey(image.At(x, y), key) : key;
                p.pixels.push_back(bitCount == 24 ? c.Value() : To565(c));
            }
        return p;
    }
    if (bitCount != 8) throw std::invalid_argument("demo pictures are written at 8, 16 or 24 bits");
    std::map<uint32_t, Rgb> distinct;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x)
            if (image.Opaque(x, y)) {
                const Rgb c = AvoidKey(image.At(x, y), key);
                distinct.emplace(c.Value(), c);
            }
    std::vector<Rgb> colors;
    for (const auto& [value, c] : distinct) colors.push_back(c);
    std::vector<Rgb> palette{key};
    for (Rgb c : colors.size() <= 255 ? colors : MedianCut(colors, 255)) palette.push_back(AvoidKey(c, key));
    for (Rgb c : palette) p.palette.push_back(c.Value());
    while (p.palette.size() < 256) p.palette.push_back(key.Value());
    std::map<uint32_t, int> lookup;
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            if (!image.Opaque(x, y)) {
                p.pixels.push_back(0);
                continue;
            }
            const Rgb c = AvoidKey(image.At(x, y), key);
            auto it = lookup.find(c.Value());
            if (it == lookup.end()) it = lookup.emplace(c.Value(), Nearest(palette, 1, c)).first;
            p.pixels.push_back(static_cast<uint32_t>(it->second));
        }
    return p;
}

std::string EncodePicture(const Image& image, Rgb key, int bitCount) { return EncodeBmp(ToBmpPicture(image, key, bitCount)); }

std::vector<uint8_t> RgbBytes(const Image& image, Rgb key) {
    std::vector<uint8_t> out;
    out.reserve(static_cast<size_t>(image.Width()) * static_cast<size_t>(image.Height()) * 3);
    for (int y = 0; y < image.Height(); ++y)
        for (int x = 0; x < image.Width(); ++x) {
            const Rgb c = image.Opaque(x, y) ? image.At(x, y) : key;
            out.insert(out.end(), {c.r, c.g, c.b});
        }
    return out;
}

std::string EncodeJpegPicture(const Image& image, int quality) {
    JpegParams params;
    params.width = image.Width(), params.height = image.Height(), params.quality = quality;
    params.pixels = RgbBytes(image, Rgb{});
    return EncodeJpeg(params);
}

Image Flatten(const Image& image, Rgb background) {
    Image out(image.Width(), image.Height(), background);
    out.Paste(image, 0, 0);
    return out;
}

Image MakeSheet(const std::vector<Image>& patterns, int columns) {
    if (patterns.empty() || columns <= 0) return {};
    const int w = patterns[0].Width(), h = patterns[0].Height();
    const int count = static_cast<int>(patterns.size());
    const int rows = (count + columns - 1) / columns;
    Image sheet(w * std::min(columns, count), h * rows);
    for (int i = 0; i < count; ++i) sheet.Place(patterns[static_cast<size_t>(i)], (i % columns) * w, (i / columns) * h);
    return sheet;
}

Image FrameSheet(int frames, const std::function<Image(int frame)>& draw) {
    std::vector<Image> rows;
    for (int f = 0; f < std::max(1, frames); ++f) rows.push_back(draw(f));
    return MakeSheet(rows, 1);
}

}  // namespace datagen::demo
