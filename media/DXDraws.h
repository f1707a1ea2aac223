// The DirectDraw wrappers every drawing of the game goes through: the device object,
// palettes, clippers and surfaces, with result-checked calls. Failures of drawing,
// filling, locking and pixel calls are recorded (SetDXResult) and answered with false;
// creation failures raise.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "media/DIB.h"
#include "media/DXClass.h"
#include "platform/ddraw/DDraw.h"

namespace media {

namespace dd = platform::ddraw;

RTL_EXCEPTION(EDirectDrawError, EDirectXError);
RTL_EXCEPTION(EDirectDrawPaletteError, EDirectDrawError);
RTL_EXCEPTION(EDirectDrawClipperError, EDirectDrawError);
RTL_EXCEPTION(EDirectDrawSurfaceError, EDirectDrawError);

class TDirectDrawSurface;
class TDirectDrawSurfaceCanvas;
class TDirectDrawPalette;
class TDirectDrawClipper;

// Colours are the class library's TColor: $00BBGGRR.
inline uint32_t RGBColor(uint8_t r, uint8_t g, uint8_t b) { return uint32_t(r) | uint32_t(g) << 8 | uint32_t(b) << 16; }

// The device value of an RGB colour in a surface format: each channel keeps its top bits
// (the truncation pictures are loaded with); indexed formats take the nearest palette entry.
uint32_t DeviceColor(const dd::DDPIXELFORMAT& format, const dd::DirectDrawPalette* palette, uint8_t r, uint8_t g,
                     uint8_t b);

class TDirectDraw : public TDirectX {
public:
    // The device on a presenter; `DirectX7Mode` is kept for the callers that ask.
    explicit TDirectDraw(platform::display::Presenter& presenter,
                         dd::DeviceConfig config = dd::DefaultDeviceConfig(), bool directX7Mode = true);
    ~TDirectDraw() override;
    TDirectDraw(const TDirectDraw&) = delete;
    TDirectDraw& operator=(const TDirectDraw&) = delete;

    dd::DirectDraw& IDraw() { return *draw_; }
    bool DirectX7Mode() const { return directX7Mode_; }
    int SurfaceCount() const { return int(surfaces_.size()); }
    int PaletteCount() const { return int(palettes_.size()); }
    int ClipperCount() const { return int(clippers_.size()); }

private:
    friend class TDirectDrawSurface;
    friend class TDirectDrawPalette;
    friend class TDirectDrawClipper;
    std::unique_ptr<dd::DirectDraw> draw_;
    bool directX7Mode_;
    std::vector<TDirectDrawSurface*> surfaces_;
    std::vector<TDirectDrawPalette*> palettes_;
    std::vector<TDirectDrawClipper*> clippers_;
};

class TDirectDrawPalette : public TDirectX {
public:
    explicit TDirectDrawPalette(TDirectDraw& owner);
    ~TDirectDrawPalette() override;
    bool CreatePalette(uint32_t caps, const dd::PALETTEENTRY* entries);
    bool SetEntries(uint32_t startIndex, uint32_t count, const dd::PALETTEENTRY* entries);
    const std::shared_ptr<dd::DirectDrawPalette>& IDDPalette() const;  // "%s not made"
    bool HasPalette() const { return bool(palette_); }
    void Release() { palette_.reset(); }

private:
    friend class TDirectDraw;
    TDirectDraw* owner_;
    std::shared_ptr<dd::DirectDrawPalette> palette_;
};

class TDirectDrawClipper : public TDirectX {
public:
    explicit TDirectDrawClipper(TDirectDraw& owner);  // "%s cannot be made" with "Clipper"
    ~TDirectDrawClipper() override;
    void SetHandle(const platform::display::Form* window);
    const std::shared_ptr<dd::DirectDrawClipper>& IDDClipper() const;  // "%s not made"
    void Release() { clipper_.reset(); }

private:
    friend class TDirectDraw;
    TDirectDraw* owner_;
    std::shared_ptr<dd::DirectDrawClipper> clipper_;
};

class TDirectDrawSurface : public TDirectX {
public:
    explicit TDirectDrawSurface(TDirectDraw& owner);
    ~TDirectDrawSurface() override;
    TDirectDrawSurface(const TDirectDrawSurface&) = delete;
    TDirectDrawSurface& operator=(const TDirectDrawSurface&) = delete;

    TDirectDraw* DDraw() const { return owner_; }
    const std::shared_ptr<dd::DirectDrawSurface>& IDDSurface() const { return surface_; }
    void SetIDDSurface(std::shared_ptr<dd::DirectDrawSurface> surface);
    bool CreateSurface(const dd::DDSURFACEDESC& desc);
    // A size of 0 or less releases the surface; video memory falls back to system memory.
    void SetSize(int32_t width, int32_t height);
    int32_t Width() const { return int32_t(desc_.dwWidth); }
    int32_t Height() const { return int32_t(desc_.dwHeight); }
    TRect ClientRect() const { return {0, 0, Width(), Height()}; }
    const dd::DDSURFACEDESC& SurfaceDesc() const { return desc_; }
    bool SystemMemory = false;
    bool HasClipper() const { return hasClipper_; }

    bool Blt(const TRect* destRect, const TRect* srcRect, uint32_t flags, const dd::DDBLTFX* effects,
             TDirectDrawSurface* source);
    bool BltFast(int32_t x, int32_t y, const TRect& srcRect, uint32_t flags, TDirectDrawSurface* source);
    // Copies SrcRect of Source to (X, Y), clipped; a reversed rectangle draws mirrored.
    void Draw(int32_t x, int32_t y, const TRect& srcRect, TDirectDrawSurface* source, bool transparent);
    // Stretched copy of SrcRect onto DestRect blended by Alpha (0..255).
    void DrawAlpha(const TRect& destRect, const TRect& srcRect, TDirectDrawSurface* source, bool transparent,
                   int32_t alpha);
    void Fill(uint32_t devColor);
    void FillRect(const TRect& rect, uint32_t devColor);
    uint32_t ColorMatch(uint32_t color);

    uint32_t Pixel(int32_t x, int32_t y);
    void SetPixel(int32_t x, int32_t y, uint32_t value);

    // One lock at a time; a given rectangle other than the whole surface locks only it.
    bool Lock(const TRect* rect, dd::DDSURFACEDESC& desc);
    // Unlocks a lock taken by Lock; with no lock held it does nothing.
    void Unlock();
    int LockCount() const { return lockCount_; }

    bool Restore();
    void SetClipper(TDirectDrawClipper* clipper);
    void SetPalette(TDirectDrawPalette* palette);
    void SetColorKey(uint32_t flags, const dd::DDCOLORKEY& key);
    void SetTransparentColor(uint32_t devColor);

    // Text and simple drawing on the surface, made on first use; Release it after each use.
    TDirectDrawSurfaceCanvas& Canvas();

    void LoadFromGraphic(const TDIB& graphic);
    void LoadFromGraphicRect(const TDIB& graphic, int32_t width, int32_t height, const TRect& srcRect);
    // A copy of another surface's size, format and pixels.
    void Assign(TDirectDrawSurface& source);
    // The surface's pixels into a 24-bit picture.
    void AssignTo(TDIB& dest);

private:
    friend class TDirectDraw;
    bool Clip(TRect& dest, TRect& src, const TDirectDrawSurface& source) const;
    bool LockWith(const TRect* rect, dd::DDSURFACEDESC& desc, uint32_t flags);
    bool BltMirror(const TRect& dest, const TRect& src, uint32_t mirror, TDirectDrawSurface* source, bool transparent);
    void ReleaseSurface();

    TDirectDraw* owner_;
    std::shared_ptr<dd::DirectDrawSurface> surface_;
    dd::DDSURFACEDESC desc_{};
    dd::DDSURFACEDESC lockDesc_{};
    int lockCount_ = 0;
    bool hasClipper_ = false;
    std::unique_ptr<TDirectDrawSurfaceCanvas> canvas_;
};

}  // namespace media
