// The description a surface lock fills in: where the pixels are, how far apart the
// rows lie and how a pixel's bits split into channels.
#pragma once

#include <cstdint>

namespace platform::ddraw {

// Pixel-format flags.
inline constexpr uint32_t DDPF_ALPHAPIXELS = 0x00000001;
inline constexpr uint32_t DDPF_PALETTEINDEXED4 = 0x00000008;
inline constexpr uint32_t DDPF_PALETTEINDEXED8 = 0x00000020;
inline constexpr uint32_t DDPF_RGB = 0x00000040;
inline constexpr uint32_t DDPF_PALETTEINDEXED1 = 0x00000800;
inline constexpr uint32_t DDPF_PALETTEINDEXED2 = 0x00001000;
inline constexpr uint32_t DDPF_PALETTEINDEXEDANY =
    DDPF_PALETTEINDEXED1 | DDPF_PALETTEINDEXED2 | DDPF_PALETTEINDEXED4 | DDPF_PALETTEINDEXED8;

// Lock flags. A read-only lock promises not to write, so its unlock shows nothing new.
inline constexpr uint32_t DDLOCK_WAIT = 0x00000001;
inline constexpr uint32_t DDLOCK_READONLY = 0x00000010;

struct DDCOLORKEY {
    uint32_t dwColorSpaceLowValue = 0;
    uint32_t dwColorSpaceHighValue = 0;
};

struct DDPIXELFORMAT {
    uint32_t dwSize = sizeof(DDPIXELFORMAT);
    uint32_t dwFlags = 0;
    uint32_t dwFourCC = 0;
    uint32_t dwRGBBitCount = 0;
    uint32_t dwRBitMask = 0;
    uint32_t dwGBitMask = 0;
    uint32_t dwBBitMask = 0;
    uint32_t dwRGBAlphaBitMask = 0;
};

// What a successful lock answers. `lpSurface` stays valid until the unlock.
struct DDSURFACEDESC {
    uint32_t dwSize = sizeof(DDSURFACEDESC);
    uint32_t dwFlags = 0;
    uint32_t dwHeight = 0;
    uint32_t dwWidth = 0;
    int32_t lPitch = 0;
    uint32_t dwBackBufferCount = 0;
    void* lpSurface = nullptr;
    DDCOLORKEY ddckCKDestBlt;
    DDCOLORKEY ddckCKSrcBlt;
    DDPIXELFORMAT ddpfPixelFormat;
    uint32_t ddsCaps = 0;  // DDSCAPS_* bits
};

}  // namespace platform::ddraw
