// The stretched, keyed and alpha-blended copy between render surfaces.
#include <cstdint>

#include "media/DXRender.h"

namespace media {

int32_t MulDiv64(int32_t a, int32_t b, int32_t c) {
    if (c == 0) return 0;
    return static_cast<int32_t>(static_cast<int64_t>(a) * b / c);
}

void SetupStretchBlend(TDXRMachine& m, const TDXRSurface& dest, const TDXRSurface& src, uint8_t op, int32_t alpha,
                       int32_t du, int32_t dv, bool transparent, uint32_t colorKey) {
    m.Reset();
    m.Dest = &dest;
    TDXRTextureUnit& u = m.TextureUnits[0];
    u.ColorKeyOn = transparent;
    u.ColorKey = colorKey;
    u.Surface = &src;
    u.Addressing = dxraPlain;
    u.DU = du;
    u.DV = dv;
    u.ConstSteps = true;
    const auto word = static_cast<uint16_t>(alpha << 8);
    for (auto& w : u.Defaults.Words) w = word;
    m.Compile(m.NewBlendNode(op, m.NewTextureNode(0), m.NewNode(dxrnkDest)));
}

void SetupStretchBlend(const TDXRSurface& dest, const TDXRSurface& src, uint8_t op, int32_t alpha, int32_t du,
                       int32_t dv, bool transparent, uint32_t colorKey) {
    SetupStretchBlend(RenderMachine(), dest, src, op, alpha, du, dv, transparent, colorKey);
}

void StretchBlendRect(const TDXRSurface& dest, const TDXRSurface& src, const TDXRRect& destRect,
                      const TDXRRect& srcRect, uint8_t op, int32_t alpha, bool transparent, uint32_t colorKey) {
    StretchBlendRect(RenderMachine(), dest, src, destRect, srcRect, op, alpha, transparent, colorKey);
}

void StretchBlendRect(TDXRMachine& m, const TDXRSurface& dest, const TDXRSurface& src, const TDXRRect& destRect,
                      const TDXRRect& srcRect, uint8_t op, int32_t alpha, bool transparent, uint32_t colorKey) {
    // All geometry in 64 bits: no rectangle can overflow its way past a check.
    if (destRect.Left >= destRect.Right || destRect.Top >= destRect.Bottom) return;
    if (srcRect.Left < 0 || srcRect.Top < 0 || srcRect.Right > src.Width || srcRect.Bottom > src.Height ||
        srcRect.Left >= srcRect.Right || srcRect.Top >= srcRect.Bottom)
        return;

    int64_t l = destRect.Left, t = destRect.Top, r = destRect.Right, b = destRect.Bottom;
    int64_t skipX = 0, skipY = 0;
    if (l < 0) {
        skipX = -l;
        l = 0;
    }
    r = r < dest.Width ? r : dest.Width;
    if (r <= 0 || r - l <= 0) return;
    if (t < 0) {
        skipY = -t;
        t = 0;
    }
    b = b < dest.Height ? b : dest.Height;
    if (b <= 0 || b - t <= 0) return;

    const int64_t destW = int64_t{destRect.Right} - destRect.Left;
    const int64_t destH = int64_t{destRect.Bottom} - destRect.Top;
    const int64_t du = (int64_t{srcRect.Right} - srcRect.Left) * 0x10000 / destW;
    const int64_t dv = (int64_t{srcRect.Bottom} - srcRect.Top) * 0x10000 / destH;
    if (du > INT32_MAX || dv > INT32_MAX) return;

    const int64_t u0 = skipX * du + (int64_t{srcRect.Left} << 16);
    const int64_t v0 = skipY * dv + (int64_t{srcRect.Top} << 16);
    if (u0 < 0 || v0 < 0) return;
    const int64_t uEnd = (r - l) * du + u0, vEnd = (b - t) * dv + v0;
    // The coordinates must stay within 32 bits for the whole draw.
    if (uEnd > UINT32_MAX || vEnd > UINT32_MAX) return;
    if ((uEnd >> 16) > src.Width || (vEnd >> 16) > src.Height) return;

    SetupStretchBlend(m, dest, src, op, alpha, static_cast<int32_t>(du), 0, transparent, colorKey);
    for (int64_t y = t; y < b; ++y) {
        m.X = static_cast<int32_t>(l);
        m.Y = static_cast<int32_t>(y);
        m.TextureUnits[0].U = static_cast<int32_t>(static_cast<uint32_t>(u0));
        m.TextureUnits[0].V = static_cast<int32_t>(static_cast<uint32_t>(v0 + (y - t) * dv));
        m.Run(static_cast<int32_t>(r - l));
    }
}

}  // namespace media
