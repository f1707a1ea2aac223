#include "media/DIB.h"

#include <gtest/gtest.h>

#include "tools/datagen/Bmp.h"

using namespace media;
using datagen::BmpOptions;

namespace {

TDIB Load(const std::string& bytes) {
    rtl::MemoryStream s(std::vector<uint8_t>(bytes.begin(), bytes.end()));
    TDIB dib;
    dib.LoadFromStream(s);
    return dib;
}

// Every pixel of the loaded picture equals the written one (raw values; $BBGGRR for 24).
void ExpectPixels(TDIB& dib, const datagen::BmpPicture& p) {
    ASSERT_EQ(dib.Width(), p.width);
    ASSERT_EQ(dib.Height(), p.height);
    ASSERT_EQ(dib.BitCount(), p.bitCount);
    for (int y = 0; y < p.height; ++y)
        for (int x = 0; x < p.width; ++x) {
            uint32_t v = p.at(x, y);
            if (p.bitCount == 24) v = (v & 0xFF) << 16 | (v & 0xFF00) | (v >> 16);
            ASSERT_EQ(dib.Pixel(x, y), v) << x << "," << y;
        }
    for (size_t i = 0; i < p.palette.size(); ++i) {
        const TRGBQuad& q = dib.ImageColorTable()[i];
        ASSERT_EQ(static_cast<uint32_t>(q.rgbRed << 16 | q.rgbGreen << 8 | q.rgbBlue), p.palette[i]);
    }
}

std::string Save(const TDIB& dib) {
    rtl::MemoryStream out;
    dib.SaveToStream(out);
    return std::string(out.Bytes().begin(), out.Bytes().end());
}

}  // namespace

TEST(DIBRead, EveryDepthAndHeaderEqualPixelForPixelAfterReadWriteRead) {
    struct Case { int bits; BmpOptions options; uint32_t r = 0, g = 0, b = 0; };
    const std::vector<Case> cases = {
        {1, {}}, {4, {}}, {8, {}}, {16, {}}, {24, {}}, {32, {}},
        {16, {.bitFields = true}, 0xF800, 0x7E0, 0x1F}, {32, {.bitFields = true}},
        {8, {.topDown = true}}, {24, {.topDown = true}}, {8, {.core = true}}, {24, {.core = true}},
        {8, {.infoSize = 108}}, {16, {.infoSize = 124, .bitFields = true}, 0xF800, 0x7E0, 0x1F},
        {4, {.gap = 9}}, {8, {.colorsUsed = 0}}, {8, {.colorsUsed = 300}},
        {8, {.rle = true}}, {4, {.rle = true}}, {8, {.rle = true, .rleDelta = true}}, {4, {.rle = true, .rleDelta = true}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.bits << " bits, case " << (&c - cases.data()));
        const auto picture = datagen::TestPicture(37, 11, c.bits, c.r, c.g, c.b);
        TDIB dib;
        ASSERT_NO_THROW(dib = Load(datagen::EncodeBmp(picture, c.options)));
        EXPECT_EQ(dib.Compressed(), c.options.rle);
        ExpectPixels(dib, picture);
        TDIB again = Load(Save(dib));  // an RLE picture is written decoded
        EXPECT_FALSE(again.Compressed());
        ExpectPixels(again, picture);
    }
}

TEST(DIBRead, InvalidAndHostileFiles) {
    TDIB dib;
    dib.SetSize(3, 3, 8);
    rtl::MemoryStream empty;
    dib.LoadFromStream(empty);
    EXPECT_EQ(dib.Width(), 3);  // nothing read: unchanged
    EXPECT_THROW(Load(std::string(13, 'B')), rtl::EInvalidGraphic);
    EXPECT_THROW(Load("XM" + std::string(40, '\0')), rtl::EInvalidGraphic);
    const std::string good = datagen::EncodeBmp(datagen::TestPicture(8, 8, 8));
    std::string bad = good;
    bad[14] = 41;  // unknown header size
    EXPECT_THROW(Load(bad), rtl::EInvalidGraphic);
    bad = good;
    bad[18] = '\xFF', bad[19] = '\xFF', bad[20] = '\xFF', bad[21] = '\x7F';  // width 2^31-1
    EXPECT_THROW(Load(bad), rtl::Exception);
    EXPECT_THROW(Load(good.substr(0, good.size() - 1)), rtl::EReadError);  // short pixels
    // 32 bits with masks other than 8-8-8, full-width ones among them.
    EXPECT_THROW(Load(datagen::EncodeBmp(datagen::TestPicture(4, 4, 32, 0xFF, 0xFF00, 0xFF0000))),
                 rtl::EInvalidGraphicOperation);
    EXPECT_THROW(Load(datagen::EncodeBmp(datagen::TestPicture(4, 4, 32, ~0u, ~0u, ~0u))), rtl::EInvalidGraphicOperation);
    // Channels that reach past 32 bits keep only what fits.
    const TPixelFormat wide = MakePixelFormat(8, 16, 16);
    EXPECT_EQ(wide.RBitMask, 0u);
    EXPECT_EQ(wide.GBitMask, 0xFFFF0000u);
    EXPECT_EQ(MakePixelFormat(32, 32, 32).BBitMask, ~0u);
    EXPECT_EQ(MakePixelFormat(32, 32, 32).GBitMask, 0u);
    // Pixels that the file header places past the end of the file.
    std::string far = datagen::EncodeBmp(datagen::TestPicture(6, 4, 8), {.rle = true});
    far[10] = '\xFF', far[11] = '\xFF';
    EXPECT_THROW(Load(far), rtl::EInvalidGraphic);
    // Truncated and scrambled RLE: decoded within the picture, no crash.
    std::string rle = datagen::EncodeBmp(datagen::TestPicture(30, 9, 8), {.rle = true, .rleDelta = true});
    TDIB cut = Load(rle.substr(0, rle.size() - 20));
    EXPECT_EQ(cut.PixelColor(29, 8), cut.PixelColor(29, 8));
    for (size_t i = 14 + 40 + 1024; i < rle.size(); i += 3) rle[i] = static_cast<char>(i * 37);
    TDIB scrambled = Load(rle);
    scrambled.PBits();
    EXPECT_EQ(scrambled.Width(), 30);
}

TEST(DIBRead, RLEDeltaMovesRightAndUpAndAbsoluteRunsArePadded) {
    // 8 x 4 picture, RLE8: delta (3, 1), then an absolute run of 3, end of bitmap.
    std::string bmp = datagen::EncodeBmp(datagen::TestPicture(8, 4, 8), {.rle = true});
    const std::string data = std::string("\0\x02\x03\x01\0\x03\x07\x08\x09\0\x01\x05\0\x01", 14);
    bmp = bmp.substr(0, 14 + 40 + 1024) + data;
    TDIB dib = Load(bmp);
    EXPECT_EQ(dib.Pixel(3, 2), 7u);  // row 1 from the bottom is row 2 from the top
    EXPECT_EQ(dib.Pixel(5, 2), 9u);
    EXPECT_EQ(dib.Pixel(6, 2), 5u);  // after the pad byte, a run of one
    EXPECT_EQ(dib.Pixel(7, 2), 0u);
}

TEST(TDIB, PixelsSharingAndPalettes) {
    TDIB a;
    a.SetSize(8, 2, 4);
    a.SetPixel(3, 0, 0xA);
    EXPECT_EQ(a.TopPBits()[1], 0x0A);  // odd X: low nibble of byte 1
    a.SetPixel(8, 0, 1);
    a.SetPixel(-1, 0, 1);
    a.SetPixel(0, 2, 1);
    EXPECT_EQ(a.Pixel(0, 0), 0u);
    uint8_t* bits = a.PBits();
    a.SetSize(8, 2, 4);  // same size and format: pixels kept
    EXPECT_EQ(a.PBits(), bits);
    EXPECT_EQ(a.Pixel(3, 0), 0xAu);

    TDIB b;
    b.Assign(a);
    EXPECT_TRUE(b.SharesImageWith(a));
    b.SetPixel(3, 0, 5);
    EXPECT_FALSE(b.SharesImageWith(a));
    EXPECT_EQ(a.Pixel(3, 0), 0xAu);
    EXPECT_EQ(b.Pixel(3, 0), 5u);

    TDIB c, d;
    c.SetSize(2, 2, 8);
    d.SetSize(5, 5, 8);
    EXPECT_NE(c.Palette(), 0u);
    EXPECT_EQ(c.Palette(), d.Palette());  // equal tables, one palette
    d.ColorTable[7] = TRGBQuad{1, 2, 3, 0};
    d.UpdatePalette();
    EXPECT_NE(c.Palette(), d.Palette());
    TDIB e;
    e.SetSize(2, 2, 24);
    EXPECT_EQ(e.Palette(), 0u);

    TDIB f;
    f.PixelFormat = PixelFormat565();
    f.SetSize(2, 2, 16);
    f.SetPixel(0, 0, 0xF800);
    EXPECT_EQ(f.PixelColor(0, 0), 0xFF0000u);
    TDIB g;
    EXPECT_THROW(g.SetSize(2, 2, 16), rtl::EInvalidGraphicOperation);  // 8-8-8 is no 16-bit layout
    EXPECT_THROW(g.SetSize(2, 2, 7), rtl::EInvalidGraphicOperation);
    g.SetWidth(5);
    EXPECT_EQ(g.Height(), 1);
    EXPECT_EQ(g.BitCount(), 8);
}

TEST(TDIB, DrawStretchesMirrorsAndClips) {
    TDIB src;
    src.SetSize(2, 2, 24);
    src.SetPixel(0, 0, 0x0000FF);  // red ($BBGGRR)
    src.SetPixel(1, 0, 0x00FF00);
    src.SetPixel(0, 1, 0xFF0000);
    src.SetPixel(1, 1, 0xFFFFFF);
    TDIB canvas;
    canvas.PixelFormat = PixelFormat565();
    canvas.SetSize(6, 6, 16);
    src.Draw(canvas, {0, 0, 4, 4});
    EXPECT_EQ(canvas.PixelColor(0, 0), 0xFF0000u);
    EXPECT_EQ(canvas.PixelColor(3, 0), 0x00FF00u);
    EXPECT_EQ(canvas.PixelColor(1, 3), 0x0000FFu);
    EXPECT_EQ(canvas.PixelColor(3, 3), 0xFFFFFFu);
    EXPECT_EQ(canvas.PixelColor(4, 4), 0u);
    src.Draw(canvas, {6, 0, 2, 2});  // mirrored
    EXPECT_EQ(canvas.PixelColor(5, 0), 0xFF0000u);
    src.Draw(canvas, {-10, -10, 100, 100});  // clipped
    TDIB same;
    same.SetSize(4, 4, 24);
    src.Draw(same, {0, 0, 4, 4});
    EXPECT_EQ(same.PixelColor(3, 3), 0xFFFFFFu);
    TDIB indexed;
    indexed.SetSize(2, 2, 8);  // grey table: nearest entry
    src.Draw(indexed, {0, 0, 2, 2});
    EXPECT_EQ(indexed.PixelColor(1, 1), 0xFFFFFFu);
}
