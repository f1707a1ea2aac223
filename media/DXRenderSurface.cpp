// Render surfaces, the processor probe and the saturation tables.
#include <bit>
#include <cstddef>
#include <cstdlib>
#include <cstring>

#include "media/DXRender.h"

#if defined(__x86_64__) || defined(__i386__)
#include <cpuid.h>
#endif

namespace media {

// Every alpha draw describes two surfaces: these stay branch-light and call nothing.
int HighestBit(uint32_t value) { return value > 1 ? 31 - std::countl_zero(value) : 0; }

int LowestBit(uint32_t value) {
    value &= 0x7FFFFFFFu;
    return value ? std::countr_zero(value) : 31;
}

int CountBits(uint32_t value) {
    value -= (value >> 1) & 0x55555555u;
    value = (value & 0x33333333u) + ((value >> 2) & 0x33333333u);
    value = (value + (value >> 4)) & 0x0F0F0F0Fu;
    return static_cast<int>((value * 0x01010101u) >> 24);
}

void MakeChannelInfo(uint32_t mask, bool isIndex, TDXRChannel& channel) {
    const int lowest = LowestBit(mask);
    channel.Mask = mask;
    channel.BitCount = static_cast<uint32_t>(CountBits(mask >> lowest));
    if (isIndex) {
        channel.Shift = static_cast<uint32_t>(lowest);
        channel.LeftShift = 0;
        return;
    }
    // Bring the channel's top bit to bit 7.
    const int s = lowest + static_cast<int>(channel.BitCount) - 8;
    channel.Shift = s < 0 ? 0 : static_cast<uint32_t>(s);
    channel.LeftShift = s < 0 ? static_cast<uint32_t>(-s) : 0;
}

static void fillGeometry(TDXRSurface& s, uint8_t kind, int32_t width, int32_t height, int32_t bitCount, void* bits,
                         int32_t pitch) {
    // The palette, a kilobyte, belongs to the indexed kind only: an RGB description
    // zeroes its own fields and leaves the palette's bytes alone.
    std::memset(&s, 0, kind == dxrkIndexed ? sizeof s : offsetof(TDXRSurface, RGB) + sizeof s.RGB);
    s.Kind = kind;
    s.Width = width;
    s.Height = height;
    s.WidthBit = HighestBit(static_cast<uint32_t>(width));
    s.HeightBit = HighestBit(static_cast<uint32_t>(height));
    s.PowWidth = 1 << s.WidthBit;
    s.PowHeight = 1 << s.HeightBit;
    s.XMask = width - 1;
    s.YMask = s.PowHeight - 1;
    s.BitCount = bitCount;
    s.Bits = bits;
    s.Pitch = pitch;
    const uint32_t absPitch = pitch < 0 ? 0u - static_cast<uint32_t>(pitch) : static_cast<uint32_t>(pitch);
    s.PitchBit = HighestBit(absPitch);
}

void MakeIndexedRenderSurface(TDXRSurface& surface, int32_t width, int32_t height, int32_t bitCount, void* bits,
                              int32_t pitch, uint32_t indexMask, uint32_t alphaMask) {
    fillGeometry(surface, dxrkIndexed, width, height, bitCount, bits, pitch);
    MakeChannelInfo(indexMask, true, surface.Indexed.Index);
    MakeChannelInfo(alphaMask, false, surface.Indexed.Alpha);
}

void MakeRGBRenderSurface(TDXRSurface& surface, int32_t width, int32_t height, int32_t bitCount, void* bits,
                          int32_t pitch, uint32_t redMask, uint32_t greenMask, uint32_t blueMask,
                          uint32_t alphaMask) {
    fillGeometry(surface, dxrkRGB, width, height, bitCount, bits, pitch);
    MakeChannelInfo(redMask, false, surface.RGB.Red);
    MakeChannelInfo(greenMask, false, surface.RGB.Green);
    MakeChannelInfo(blueMask, false, surface.RGB.Blue);
    MakeChannelInfo(alphaMask, false, surface.RGB.Alpha);
}

void MakeRenderSurfaceFromDesc(const platform::ddraw::DDSURFACEDESC& desc, TDXRSurface& surface) {
    const auto& pf = desc.ddpfPixelFormat;
    const int32_t bitCount = static_cast<int32_t>(pf.dwRGBBitCount);
    const auto width = static_cast<int32_t>(desc.dwWidth);
    const auto height = static_cast<int32_t>(desc.dwHeight);
    if (pf.dwFlags & platform::ddraw::DDPF_PALETTEINDEXEDANY) {
        const uint32_t indexMask = bitCount >= 32 ? 0xFFFFFFFFu : (1u << bitCount) - 1;
        MakeIndexedRenderSurface(surface, width, height, bitCount, desc.lpSurface, desc.lPitch, indexMask, 0);
    } else {
        // The format's alpha mask is not taken: alpha draws treat every surface as opaque.
        MakeRGBRenderSurface(surface, width, height, bitCount, desc.lpSurface, desc.lPitch, pf.dwRBitMask,
                             pf.dwGBitMask, pf.dwBBitMask, 0);
    }
}

uint8_t SurfaceChannelSet(const TDXRSurface& s) {
    uint8_t set = 0;
    if (s.Kind == dxrkIndexed) {
        if (s.Indexed.Index.Mask) set |= dxrColorChannels;
        if (s.Indexed.Alpha.Mask) set |= dxrAlpha;
        return set;
    }
    if (s.RGB.Red.Mask) set |= dxrRed;
    if (s.RGB.Green.Mask) set |= dxrGreen;
    if (s.RGB.Blue.Mask) set |= dxrBlue;
    if (s.RGB.Alpha.Mask) set |= dxrAlpha;
    return set;
}

bool SameRenderFormat(const TDXRSurface& a, const TDXRSurface& b) {
    if (a.Kind != b.Kind) return false;
    if (a.Kind == dxrkIndexed)
        return a.Indexed.Index.Mask == b.Indexed.Index.Mask && a.Indexed.Alpha.Mask == b.Indexed.Alpha.Mask;
    return a.RGB.Red.Mask == b.RGB.Red.Mask && a.RGB.Green.Mask == b.RGB.Green.Mask &&
           a.RGB.Blue.Mask == b.RGB.Blue.Mask && a.RGB.Alpha.Mask == b.RGB.Alpha.Mask;
}

const TDXRChannel& SurfaceAlphaChannel(const TDXRSurface& s) {
    return s.Kind == dxrkIndexed ? s.Indexed.Alpha : s.RGB.Alpha;
}

bool MMXAvailable = false;
uint8_t SatAddTable[512];
uint8_t SatSubTable[511];

void DetectCPUFeatures() {
    MMXAvailable = false;
#if defined(__x86_64__) || defined(__i386__)
    unsigned eax = 0, ebx = 0, ecx = 0, edx = 0;
    // __get_cpuid checks that the leaf exists (and, on 32 bits, that CPUID does).
    if (__get_cpuid(1, &eax, &ebx, &ecx, &edx)) MMXAvailable = (edx & (1u << 23)) != 0;
#endif
    if (const char* v = std::getenv("SPRALLION_PIXEL_SIMD"); v && std::strcmp(v, "0") == 0) MMXAvailable = false;
}

void InitRenderTables() {
    for (int i = 0; i < 512; ++i) SatAddTable[i] = static_cast<uint8_t>(i < 256 ? i : 255);
    for (int d = -255; d <= 255; ++d) SatSubTable[d + 255] = static_cast<uint8_t>(d >= 0 ? d : 0);
}

namespace {
struct UnitStart {
    UnitStart() {
        DetectCPUFeatures();
        InitRenderTables();
    }
} unitStart;
}  // namespace

}  // namespace media
