// The canvas every demo picture is drawn on: 8-bit colour channels plus a shape mask.
//
// A pixel is either part of a shape (opaque) or not (transparent). Shapes are painted with
// a coverage value from their signed distance: over a transparent pixel a shape takes the
// pixel only when it covers at least half of it, and then without mixing in the background,
// so the edges never carry the transparent colour into the picture (no key-colour fringe);
// over an opaque pixel the coverage blends the colours, which smooths every inner edge.
// The transparent colour itself is chosen only when the picture is encoded.
#pragma once

#include <cstdint>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "tools/datagen/Bmp.h"

namespace datagen::demo {

struct Rgb {
    uint8_t r = 0, g = 0, b = 0;
    constexpr uint32_t Value() const { return uint32_t{r} << 16 | uint32_t{g} << 8 | b; }
    static constexpr Rgb From(uint32_t v) {
        return {static_cast<uint8_t>(v >> 16), static_cast<uint8_t>(v >> 8), static_cast<uint8_t>(v)};
    }
    friend constexpr bool operator==(Rgb a, Rgb b) { return a.r == b.r && a.g == b.g && a.b == b.b; }
};

// Linear mix: t = 0 gives a, t = 1 gives b (t is clamped).
Rgb Mix(Rgb a, Rgb b, double t);
// Brightness scaled by f (f > 1 lightens towards white, below 1 darkens towards black).
Rgb Shade(Rgb c, double f);
// Perceived brightness 0..255.
double Luma(Rgb c);
// The value a 16-bit 5/6/5 display stores for the colour.
uint16_t To565(Rgb c);
// The colour nearest to c whose 5/6/5 value differs from the key's (c itself when it does).
Rgb AvoidKey(Rgb c, Rgb key);

// Colour from hue (0..360), saturation and value (0..1).
Rgb Hsv(double hue, double saturation, double value);

class Image {
public:
    Image() = default;
    Image(int width, int height);                        // all transparent
    Image(int width, int height, Rgb fill);              // all opaque in one colour

    int Width() const { return width_; }
    int Height() const { return height_; }
    bool Inside(int x, int y) const { return x >= 0 && y >= 0 && x < width_ && y < height_; }
    Rgb At(int x, int y) const { return color_[Index(x, y)]; }
    bool Opaque(int x, int y) const { return opaque_[Index(x, y)] != 0; }
    size_t OpaqueCount() const;

    // Writes an opaque pixel; outside the picture nothing happens.
    void Set(int x, int y, Rgb c);
    // Makes a pixel transparent.
    void Clear(int x, int y);
    // Paints c with the given coverage by the rule above.
    void Cover(int x, int y, Rgb c, double coverage);
    // Blends c over an opaque pixel only (glows and highlights that must not widen a shape).
    void Tint(int x, int y, Rgb c, double alpha);

    // Copies the opaque pixels of src with its top-left corner at (x, y).
    void Paste(const Image& src, int x, int y);
    // Copies every pixel of src, transparent ones included (building pattern sheets).
    void Place(const Image& src, int x, int y);
    // The rectangle (x, y, w, h) as a picture of its own.
    Image Crop(int x, int y, int w, int h) const;

private:
    size_t Index(int x, int y) const { return static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x); }
    int width_ = 0, height_ = 0;
    std::vector<Rgb> color_;
    std::vector<uint8_t> opaque_;
};

// Signed distance of a point to a shape's outline: negative inside, in pixels.
using Sdf = std::function<double(double x, double y)>;
// Colour of a shape at a point; d is the signed distance there (so shaders can bevel).
using Shader = std::function<Rgb(double x, double y, double d)>;

Sdf CircleSdf(double cx, double cy, double radius);
Sdf EllipseSdf(double cx, double cy, double rx, double ry);
Sdf RoundRectSdf(double x, double y, double w, double h, double radius);
// A stroke of the given half width along the segment (x0, y0)-(x1, y1), round at the ends.
Sdf SegmentSdf(double x0, double y0, double x1, double y1, double halfWidth);
// A closed polygon (any winding; even-odd inside test).
Sdf PolygonSdf(std::vector<std::pair<double, double>> points);
Sdf Union(Sdf a, Sdf b);
Sdf Subtract(Sdf a, Sdf b);

// Paints the shape over every pixel whose centre lies less than half a pixel outside it.
// Coverage comes from the distance at the pixel centre (0.5 - d, clamped), exact for
// straight edges.
void Fill(Image& image, const Sdf& shape, const Shader& shader);
void Fill(Image& image, const Sdf& shape, Rgb color);
// The same, blending only over pixels that are already opaque (details painted on a shape).
void Overlay(Image& image, const Sdf& shape, const Shader& shader, double alpha = 1.0);

// Lighting of a bevelled shape at a point: the outline's outward normal from the distance
// field, lit from the upper left. Returns -1 (facing away) .. 1 (facing the light) within
// `width` pixels of the outline and 0 on the flat top further in.
double Bevel(const Sdf& shape, double x, double y, double d, double width);

// Smooth periodic noise 0..1: a lattice of `cells` × `cells` per period (the picture
// tiles when the period divides its size).
double TileNoise(double x, double y, double period, int cells, uint32_t seed);
// Several octaves of TileNoise, each twice as fine and half as strong.
double TileFractal(double x, double y, double period, int cells, int octaves, uint32_t seed);

// ---- Encoding for the writers ----

// The picture as a BMP at 8 (own palette, key at index 0), 16 (5/6/5 bit fields) or 24
// bits: transparent pixels hold exactly the key, opaque pixels never a colour that a 5/6/5
// display would confuse with it.
BmpPicture ToBmpPicture(const Image& image, Rgb key, int bitCount = 24);
std::string EncodePicture(const Image& image, Rgb key, int bitCount = 24);
// An opaque picture as JPEG data (without the container's length prefix).
std::string EncodeJpegPicture(const Image& image, int quality = 88);
// The colour of every pixel as 8-bit RGB rows, transparent ones as `key`.
std::vector<uint8_t> RgbBytes(const Image& image, Rgb key);

// Tiles transparent pixels with `background` (pictures for a web page, which has no key).
Image Flatten(const Image& image, Rgb background);

// ---- Pattern sheets ----

// Patterns are numbered row by row (as the picture collections cut them); a sheet of
// `columns` × `rows` patterns of one size.
Image MakeSheet(const std::vector<Image>& patterns, int columns);
// A sheet of one column: `frames` rows (at least one), row f drawn by draw(f).
Image FrameSheet(int frames, const std::function<Image(int frame)>& draw);

}  // namespace datagen::demo
