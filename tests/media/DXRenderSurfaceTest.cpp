// Render-surface descriptions, the bit helpers and the saturation tables.
#include <gtest/gtest.h>

#include "media/DXRender.h"

using namespace media;

namespace {

void expectChannel(const TDXRChannel& c, uint32_t mask, uint32_t bits, uint32_t shift, uint32_t left) {
    EXPECT_EQ(c.Mask, mask);
    EXPECT_EQ(c.BitCount, bits);
    EXPECT_EQ(c.Shift, shift);
    EXPECT_EQ(c.LeftShift, left);
}

TEST(DXRenderSurface, ChannelRecordsOfTheCommonFormats) {
    uint16_t pixels[4] = {};
    TDXRSurface s;
    MakeRGBRenderSurface(s, 2, 2, 16, pixels, 4, 0xF800, 0x07E0, 0x001F, 0);
    EXPECT_EQ(s.Kind, dxrkRGB);
    expectChannel(s.RGB.Red, 0xF800, 5, 8, 0);
    expectChannel(s.RGB.Green, 0x07E0, 6, 3, 0);
    expectChannel(s.RGB.Blue, 0x001F, 5, 0, 3);
    expectChannel(s.RGB.Alpha, 0, 0, 23, 0);
    EXPECT_EQ(SurfaceChannelSet(s), 7);

    MakeRGBRenderSurface(s, 2, 2, 16, pixels, 4, 0x7C00, 0x03E0, 0x001F, 0);
    EXPECT_EQ(s.RGB.Red.Shift, 7u);
    EXPECT_EQ(s.RGB.Green.Shift, 2u);
    EXPECT_EQ(s.RGB.Blue.LeftShift, 3u);

    MakeRGBRenderSurface(s, 2, 2, 32, pixels, 8, 0xFF0000, 0xFF00, 0xFF, 0xFF000000);
    EXPECT_EQ(s.RGB.Red.Shift, 16u);
    EXPECT_EQ(s.RGB.Green.Shift, 8u);
    EXPECT_EQ(s.RGB.Blue.Shift, 0u);
    EXPECT_EQ(s.RGB.Alpha.Shift, 24u);
    EXPECT_EQ(SurfaceChannelSet(s), 15);
}

TEST(DXRenderSurface, GeometryAndBitHelpers) {
    uint8_t pixels[100 * 100];
    TDXRSurface s;
    MakeRGBRenderSurface(s, 100, 100, 8, pixels + 99 * 100, -100, 0xE0, 0x1C, 0x03, 0);
    EXPECT_EQ(s.WidthBit, 6);
    EXPECT_EQ(s.PowWidth, 64);
    EXPECT_EQ(s.XMask, 99);
    EXPECT_EQ(s.HeightBit, 6);
    EXPECT_EQ(s.YMask, 63);
    EXPECT_EQ(s.Pitch, -100);
    EXPECT_EQ(s.PitchBit, 6);

    EXPECT_EQ(HighestBit(0), 0);
    EXPECT_EQ(HighestBit(1), 0);
    EXPECT_EQ(HighestBit(0x80000000u), 31);
    EXPECT_EQ(LowestBit(0), 31);
    EXPECT_EQ(LowestBit(0x80000000u), 31);
    EXPECT_EQ(LowestBit(0x30), 4);
    EXPECT_EQ(CountBits(0xF0F0), 8);
}

TEST(DXRenderSurface, LockedDescriptionsAndFormatComparison) {
    uint8_t pixels[64] = {};
    platform::ddraw::DDSURFACEDESC d;
    d.dwWidth = 8;
    d.dwHeight = 8;
    d.lPitch = 8;
    d.lpSurface = pixels;
    d.ddpfPixelFormat.dwFlags = platform::ddraw::DDPF_PALETTEINDEXED8 | platform::ddraw::DDPF_RGB;
    d.ddpfPixelFormat.dwRGBBitCount = 8;
    TDXRSurface indexed;
    MakeRenderSurfaceFromDesc(d, indexed);
    EXPECT_EQ(indexed.Kind, dxrkIndexed);
    EXPECT_EQ(indexed.Indexed.Index.Mask, 0xFFu);
    EXPECT_EQ(SurfaceChannelSet(indexed), 7);
    for (const auto& e : indexed.Indexed.Palette) EXPECT_EQ(e.Red | e.Green | e.Blue | e.Reserved, 0);

    // The format's alpha mask is not taken from a lock.
    d.ddpfPixelFormat = {};
    d.ddpfPixelFormat.dwFlags = platform::ddraw::DDPF_RGB;
    d.ddpfPixelFormat.dwRGBBitCount = 16;
    d.ddpfPixelFormat.dwRBitMask = 0x0F00;
    d.ddpfPixelFormat.dwGBitMask = 0x00F0;
    d.ddpfPixelFormat.dwBBitMask = 0x000F;
    d.ddpfPixelFormat.dwRGBAlphaBitMask = 0xF000;
    TDXRSurface rgb;
    MakeRenderSurfaceFromDesc(d, rgb);
    EXPECT_EQ(rgb.Kind, dxrkRGB);
    EXPECT_EQ(rgb.RGB.Alpha.Mask, 0u);
    EXPECT_FALSE(SameRenderFormat(rgb, indexed));

    TDXRSurface a, b;
    MakeRGBRenderSurface(a, 1, 1, 16, pixels, 2, 0xF800, 0x07E0, 0x1F, 0);
    MakeRGBRenderSurface(b, 1, 1, 32, pixels, 4, 0xF800, 0x07E0, 0x1F, 0);
    EXPECT_TRUE(SameRenderFormat(a, b));  // bit counts are not compared
    MakeRGBRenderSurface(b, 1, 1, 16, pixels, 2, 0x7C00, 0x03E0, 0x1F, 0);
    EXPECT_FALSE(SameRenderFormat(a, b));
}

struct FakeSurface {
    int result = 0;
    void* bits = nullptr;
    void* unlocked = nullptr;
    int Lock(std::nullptr_t, platform::ddraw::DDSURFACEDESC& d, uint32_t, std::nullptr_t) {
        if (result) return result;
        d.dwWidth = d.dwHeight = 1;
        d.lpSurface = bits;
        d.lPitch = 2;
        d.ddpfPixelFormat.dwRGBBitCount = 16;
        d.ddpfPixelFormat.dwRBitMask = 0xF800;
        return 0;
    }
    void Unlock(void* p) { unlocked = p; }
};

TEST(DXRenderSurface, LockFailureLeavesTheDescriptionAlone) {
    uint16_t px = 0;
    FakeSurface f;
    f.bits = &px;
    TDXRSurface s;
    s.Width = 77;
    f.result = -1;
    EXPECT_FALSE(LockRenderSurface(f, s));
    EXPECT_EQ(s.Width, 77);
    f.result = 0;
    ASSERT_TRUE(LockRenderSurface(f, s));
    EXPECT_EQ(s.Bits, &px);
    EXPECT_EQ(s.RGB.Red.Shift, 8u);
    UnlockRenderSurface(f, s);
    EXPECT_EQ(f.unlocked, &px);
}

TEST(DXRenderSurface, SaturationTables) {
    EXPECT_EQ(SatAddTable[200 + 100], 255);
    EXPECT_EQ(SatAddTable[255], 255);
    EXPECT_EQ(SatAddTable[254], 254);
    EXPECT_EQ(SatAddTable[511], 255);
    EXPECT_EQ(SatSubZero()[30 - 50], 0);
    EXPECT_EQ(SatSubZero()[-255], 0);
    EXPECT_EQ(SatSubZero()[255], 255);
    EXPECT_EQ(SatSubZero()[7], 7);
}

}  // namespace
