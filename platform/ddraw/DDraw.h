// The DirectDraw object model over surfaces in memory: the device with its display
// modes and video-memory budget, surfaces (pitch, pixel format, Lock/Unlock, Blt and
// BltFast with colour key, mirroring, stretching and fills, attached back buffer,
// Flip, loss and Restore), clippers and palettes. The primary surface shows through
// a display presenter.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <vector>

#include "platform/ddraw/SurfaceDesc.h"
#include "platform/display/Display.h"
#include "platform/display/Form.h"

namespace platform::ddraw {

using HRESULT = int32_t;
inline constexpr HRESULT DD_OK = 0;
inline constexpr HRESULT Err(uint32_t v) { return static_cast<HRESULT>(v); }
inline constexpr HRESULT DDERR_GENERIC = Err(0x80004005);
inline constexpr HRESULT DDERR_INVALIDPARAMS = Err(0x80070057);
inline constexpr HRESULT DDERR_UNSUPPORTED = Err(0x80004001);
inline constexpr HRESULT DDERR_INVALIDRECT = Err(0x88760096);
inline constexpr HRESULT DDERR_INVALIDPIXELFORMAT = Err(0x88760091);
inline constexpr HRESULT DDERR_INVALIDMODE = Err(0x8876008C);
inline constexpr HRESULT DDERR_NOTFOUND = Err(0x887600FF);
inline constexpr HRESULT DDERR_OUTOFVIDEOMEMORY = Err(0x8876017C);
inline constexpr HRESULT DDERR_SURFACEBUSY = Err(0x887601AE);
inline constexpr HRESULT DDERR_SURFACELOST = Err(0x887601C2);
inline constexpr HRESULT DDERR_NOTLOCKED = Err(0x887602E6);
inline constexpr HRESULT DDERR_BLTFASTCANTCLIP = Err(0x8876023E);
inline constexpr HRESULT DDERR_NOTFLIPPABLE = Err(0x887600E6);
inline constexpr HRESULT DDERR_NOPALETTEATTACHED = Err(0x887600D1);
inline constexpr HRESULT DDERR_PRIMARYSURFACEALREADYEXISTS = Err(0x88760234);

// Description flags.
inline constexpr uint32_t DDSD_CAPS = 0x1, DDSD_HEIGHT = 0x2, DDSD_WIDTH = 0x4, DDSD_PITCH = 0x8,
                          DDSD_BACKBUFFERCOUNT = 0x20, DDSD_PIXELFORMAT = 0x1000, DDSD_CKSRCBLT = 0x10000;
// Surface capabilities.
inline constexpr uint32_t DDSCAPS_BACKBUFFER = 0x4, DDSCAPS_COMPLEX = 0x8, DDSCAPS_FLIP = 0x10,
                          DDSCAPS_FRONTBUFFER = 0x20, DDSCAPS_OFFSCREENPLAIN = 0x40, DDSCAPS_PRIMARYSURFACE = 0x200,
                          DDSCAPS_SYSTEMMEMORY = 0x800, DDSCAPS_3DDEVICE = 0x2000, DDSCAPS_VIDEOMEMORY = 0x4000;
// Blt flags, effects and BltFast flags.
inline constexpr uint32_t DDBLT_COLORFILL = 0x400, DDBLT_DDFX = 0x800, DDBLT_KEYSRC = 0x8000, DDBLT_WAIT = 0x1000000;
inline constexpr uint32_t DDBLTFX_MIRRORLEFTRIGHT = 0x2, DDBLTFX_MIRRORUPDOWN = 0x4;
inline constexpr uint32_t DDBLTFAST_SRCCOLORKEY = 0x1, DDBLTFAST_WAIT = 0x10;
inline constexpr uint32_t DDFLIP_WAIT = 0x1;
inline constexpr uint32_t DDCKEY_SRCBLT = 0x8;
inline constexpr uint32_t DDWAITVB_BLOCKBEGIN = 0x1;
// Cooperative levels.
inline constexpr uint32_t DDSCL_FULLSCREEN = 0x1, DDSCL_ALLOWREBOOT = 0x2, DDSCL_NOWINDOWCHANGES = 0x4,
                          DDSCL_NORMAL = 0x8, DDSCL_EXCLUSIVE = 0x10, DDSCL_ALLOWMODEX = 0x40;
// Palette capabilities.
inline constexpr uint32_t DDPCAPS_8BIT = 0x4, DDPCAPS_INITIALIZE = 0x8, DDPCAPS_ALLOW256 = 0x40;

struct RECT {
    int32_t left = 0, top = 0, right = 0, bottom = 0;
};

struct DDBLTFX {
    uint32_t dwSize = sizeof(DDBLTFX);
    uint32_t dwDDFX = 0;
    uint32_t dwFillColor = 0;
};

struct PALETTEENTRY {
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
};

struct DisplayMode {
    uint32_t Width = 0, Height = 0, BitCount = 0;
    bool operator==(const DisplayMode&) const = default;
};

// The pixel format of a plain RGB or indexed surface of the given depth.
DDPIXELFORMAT PixelFormatFor(uint32_t bitCount);

class DirectDraw;
class DirectDrawSurface;

class DirectDrawPalette {
public:
    DirectDrawPalette(uint32_t caps, const PALETTEENTRY* entries);
    HRESULT SetEntries(uint32_t start, uint32_t count, const PALETTEENTRY* entries);
    HRESULT GetEntries(uint32_t start, uint32_t count, PALETTEENTRY* entries) const;
    uint32_t Caps() const { return caps_; }
    const std::array<PALETTEENTRY, 256>& Entries() const { return entries_; }

private:
    uint32_t caps_;
    std::array<PALETTEENTRY, 256> entries_{};
};

// Clips blits to a window's client area, or to the destination surface when unbound.
class DirectDrawClipper {
public:
    HRESULT SetHWnd(const display::Form* window);
    const display::Form* HWnd() const { return window_; }
    // The clip rectangle for a destination of the given size.
    RECT ClipRect(int32_t width, int32_t height) const;

private:
    const display::Form* window_ = nullptr;
};

class DirectDrawSurface : public std::enable_shared_from_this<DirectDrawSurface> {
public:
    ~DirectDrawSurface();
    DirectDrawSurface(const DirectDrawSurface&) = delete;
    DirectDrawSurface& operator=(const DirectDrawSurface&) = delete;

    HRESULT GetSurfaceDesc(DDSURFACEDESC& desc) const;
    uint32_t Caps() const { return caps_; }
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }

    // `rect` null or the whole surface locks everything; a second lock is refused.
    HRESULT Lock(const RECT* rect, DDSURFACEDESC& desc, uint32_t flags, void* event);
    HRESULT Unlock(void* bits);
    bool Locked() const { return locked_; }

    HRESULT Blt(const RECT* destRect, DirectDrawSurface* source, const RECT* srcRect, uint32_t flags,
                const DDBLTFX* fx);
    HRESULT BltFast(int32_t x, int32_t y, DirectDrawSurface* source, const RECT* srcRect, uint32_t flags);
    HRESULT Flip(DirectDrawSurface* target, uint32_t flags);
    HRESULT GetAttachedSurface(uint32_t caps, std::shared_ptr<DirectDrawSurface>& surface) const;

    HRESULT SetColorKey(uint32_t flags, const DDCOLORKEY* key);
    HRESULT GetColorKey(uint32_t flags, DDCOLORKEY& key) const;
    HRESULT SetClipper(std::shared_ptr<DirectDrawClipper> clipper);
    HRESULT GetClipper(std::shared_ptr<DirectDrawClipper>& clipper) const;
    HRESULT SetPalette(std::shared_ptr<DirectDrawPalette> palette);
    const std::shared_ptr<DirectDrawPalette>& Palette() const { return palette_; }

    HRESULT IsLost() const { return lost_ ? DDERR_SURFACELOST : DD_OK; }
    HRESULT Restore();
    // Test hook: the surface loses its memory as on a mode change.
    void MarkLost() { lost_ = true; }

    // Shows a primary surface's pixels through the presenter (no-op otherwise).
    void PresentIfPrimary();
    // A primary surface whose last frame went to the presenter straight from another surface
    // holds that frame only on the screen; its own memory is filled from there when read.
    bool FrameOnScreenOnly() const { return onScreen_; }

private:
    friend class DirectDraw;
    DirectDrawSurface(DirectDraw* owner, uint32_t caps, int32_t width, int32_t height, const DDPIXELFORMAT& format);
    uint8_t* Row(int32_t y) { return pixels_.data() + size_t(y) * size_t(pitch_); }
    int32_t BytesPerPixel() const { return int32_t(format_.dwRGBBitCount / 8); }
    HRESULT Copy(const RECT& dest, DirectDrawSurface& source, const RECT& src, bool keyed, uint32_t mirror);
    void FillRect(const RECT& r, uint32_t color);
    // The frame a plain copy of a whole, same-sized 16-bit surface puts on the primary goes to
    // the presenter from the source itself: one copy of the frame a present, not two.
    bool PresentStraight(const RECT& dest, DirectDrawSurface& source, const RECT& src, bool keyed, uint32_t mirror);
    void Present(const uint8_t* pixels, int32_t pitch);
    // Before the memory is read or partly written: the frame read back from the screen.
    void FetchFromScreen();
    void BeforeWrite(const RECT& r, bool everyPixel);

    DirectDraw* owner_;
    uint32_t caps_;
    int32_t width_, height_, pitch_;
    DDPIXELFORMAT format_;
    std::vector<uint8_t> pixels_;
    bool locked_ = false;
    bool presentOnUnlock_ = false;
    bool lost_ = false;
    bool onScreen_ = false;
    bool hasSrcKey_ = false;
    DDCOLORKEY srcKey_;
    size_t videoBytes_ = 0;
    std::shared_ptr<DirectDrawClipper> clipper_;
    std::shared_ptr<DirectDrawPalette> palette_;
    std::shared_ptr<DirectDrawSurface> backBuffer_;
    DirectDrawSurface* front_ = nullptr;  // the primary, for an attached back buffer
};

struct DeviceConfig {
    std::vector<DisplayMode> Modes;
    size_t VideoMemory = 0;  // bytes for surfaces not in system memory
};

// The modes and budget of this machine's display: the usual 4:3 and wide modes at
// 16 and 32 bits, and 32 MB of "video" memory (SPRALLION_VIDEO_MEMORY in KB overrides).
DeviceConfig DefaultDeviceConfig();

class DirectDraw {
public:
    DirectDraw(display::Presenter& presenter, DeviceConfig config);
    ~DirectDraw();
    DirectDraw(const DirectDraw&) = delete;
    DirectDraw& operator=(const DirectDraw&) = delete;

    HRESULT CreateSurface(const DDSURFACEDESC& desc, std::shared_ptr<DirectDrawSurface>& surface);
    HRESULT CreateClipper(std::shared_ptr<DirectDrawClipper>& clipper);
    HRESULT CreatePalette(uint32_t caps, const PALETTEENTRY* entries, std::shared_ptr<DirectDrawPalette>& palette);
    HRESULT SetCooperativeLevel(const display::Form* window, uint32_t flags);
    uint32_t CooperativeLevel() const { return coopFlags_; }
    const std::vector<DisplayMode>& Modes() const { return config_.Modes; }
    // Takes the whole screen in the mode (exclusive use only); the desktop's mode comes back
    // with RestoreDisplayMode, when exclusive use ends, or when the device goes.
    HRESULT SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitCount);
    HRESULT RestoreDisplayMode();
    const DisplayMode& CurrentMode() const { return mode_; }
    bool DisplayModeSet() const { return modeSet_; }
    // DDWAITVB_BLOCKBEGIN: the next present of the primary surface is made on the display's
    // refresh (the vertical blank); other kinds of wait are not supported.
    HRESULT WaitForVerticalBlank(uint32_t flags);
    // Shows the desktop: a full-screen display leaves the screen until the next present of
    // the primary surface takes it back.
    HRESULT FlipToGDISurface();
    bool DesktopShown() const { return desktopShown_; }

    size_t VideoMemoryFree() const { return config_.VideoMemory - videoUsed_; }
    display::Presenter& Presenter() { return presenter_; }
    // Test hook: every surface made here is lost, as after a mode change elsewhere.
    void LoseAllSurfaces();

private:
    friend class DirectDrawSurface;
    void BeforePresent();

    display::Presenter& presenter_;
    DeviceConfig config_;
    DisplayMode mode_;
    bool modeSet_ = false;       // the screen is in mode_ by our doing
    bool desktopShown_ = false;  // FlipToGDISurface left the screen to the desktop
    bool vblankWaited_ = false;
    int appHook_ = 0;  // the application's activation hook while the screen is held
    uint32_t coopFlags_ = 0;
    size_t videoUsed_ = 0;
    DirectDrawSurface* primary_ = nullptr;
    std::vector<DirectDrawSurface*> surfaces_;
};

}  // namespace platform::ddraw
