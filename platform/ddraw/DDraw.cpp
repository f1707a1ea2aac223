#include "platform/ddraw/DDraw.h"

#include "platform/ddraw/KeyedRow.h"
#include "platform/window/Application.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace platform::ddraw {

namespace {

bool Inside(const RECT& r, int32_t width, int32_t height) {
    return r.left >= 0 && r.top >= 0 && r.right <= width && r.bottom <= height;
}
bool Empty(const RECT& r) { return r.right <= r.left || r.bottom <= r.top; }
RECT Intersect(const RECT& a, const RECT& b) {
    return {std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
            std::min(a.bottom, b.bottom)};
}

uint32_t ReadPixel(const uint8_t* p, int32_t bytes) {
    switch (bytes) {
        case 1: return p[0];
        case 2: return uint32_t(p[0]) | uint32_t(p[1]) << 8;
        case 3: return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16;
        default: {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return v;
        }
    }
}
void WritePixel(uint8_t* p, int32_t bytes, uint32_t v) {
    switch (bytes) {
        case 1: p[0] = uint8_t(v); break;
        case 2: p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); break;
        case 3: p[0] = uint8_t(v); p[1] = uint8_t(v >> 8); p[2] = uint8_t(v >> 16); break;
        default: std::memcpy(p, &v, 4); break;
    }
}

// One row of a copy whose source steps by a fixed 16.16 increment, for one pixel size.
template <int Bytes>
void CopyRow(uint8_t* d, const uint8_t* s, int32_t count, int64_t u, int64_t du, bool keyed, uint32_t low,
             uint32_t high) {
    if constexpr (Bytes == 2) {
        auto* dp = reinterpret_cast<uint16_t*>(d);
        const auto* sp = reinterpret_cast<const uint16_t*>(s);
        if (du == 0x10000) {
            sp += u >> 16;
            if (!keyed) {
                std::memcpy(dp, sp, size_t(count) * 2);
                return;
            }
            // One-to-one keyed copy: a single-value key is one compare per pixel, eight at a
            // time where the processor has SSE2 (every x86-64 has).
            if (low == high) {
                CopyKeyedRow16(dp, sp, count, uint16_t(low));
            } else {
                for (int32_t i = 0; i < count; ++i)
                    if (sp[i] < low || sp[i] > high) dp[i] = sp[i];
            }
            return;
        }
        for (int32_t i = 0; i < count; ++i, u += du) {
            const uint16_t v = sp[u >> 16];
            if (!keyed || v < low || v > high) dp[i] = v;
        }
    } else {
        for (int32_t i = 0; i < count; ++i, u += du) {
            const uint32_t v = ReadPixel(s + ptrdiff_t(u >> 16) * Bytes, Bytes);
            if (!keyed || v < low || v > high) WritePixel(d + ptrdiff_t(i) * Bytes, Bytes, v);
        }
    }
}

}  // namespace

DDPIXELFORMAT PixelFormatFor(uint32_t bitCount) {
    DDPIXELFORMAT pf;
    pf.dwRGBBitCount = bitCount;
    if (bitCount <= 8) {
        pf.dwFlags = bitCount == 8 ? DDPF_PALETTEINDEXED8 : DDPF_PALETTEINDEXED4;
    } else if (bitCount == 16) {
        pf.dwFlags = DDPF_RGB;
        pf.dwRBitMask = 0xF800;
        pf.dwGBitMask = 0x07E0;
        pf.dwBBitMask = 0x001F;
    } else {
        pf.dwFlags = DDPF_RGB;
        pf.dwRBitMask = 0xFF0000;
        pf.dwGBitMask = 0x00FF00;
        pf.dwBBitMask = 0x0000FF;
    }
    return pf;
}

// --- palette and clipper ---------------------------------------------------

DirectDrawPalette::DirectDrawPalette(uint32_t caps, const PALETTEENTRY* entries) : caps_(caps) {
    if (entries) std::copy(entries, entries + 256, entries_.begin());
}

HRESULT DirectDrawPalette::SetEntries(uint32_t start, uint32_t count, const PALETTEENTRY* entries) {
    if (!entries || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
    std::copy(entries, entries + count, entries_.begin() + start);
    return DD_OK;
}

HRESULT DirectDrawPalette::GetEntries(uint32_t start, uint32_t count, PALETTEENTRY* entries) const {
    if (!entries || start > 256 || count > 256 - start) return DDERR_INVALIDPARAMS;
    std::copy(entries_.begin() + start, entries_.begin() + start + count, entries);
    return DD_OK;
}

HRESULT DirectDrawClipper::SetHWnd(const display::Form* window) {
    window_ = window;
    return DD_OK;
}

RECT DirectDrawClipper::ClipRect(int32_t width, int32_t height) const {
    RECT whole{0, 0, width, height};
    if (!window_) return whole;
    // The primary surface is the window's client area.
    return Intersect(whole, {0, 0, window_->ClientWidth, window_->ClientHeight});
}

// --- surface -----------------------------------------------------------------

DirectDrawSurface::DirectDrawSurface(DirectDraw* owner, uint32_t caps, int32_t width, int32_t height,
                                     const DDPIXELFORMAT& format)
    : owner_(owner), caps_(caps), width_(width), height_(height), format_(format) {
    pitch_ = (width * int32_t(format.dwRGBBitCount) / 8 + 3) & ~3;
    pixels_.assign(size_t(pitch_) * size_t(height), 0);
}

DirectDrawSurface::~DirectDrawSurface() {
    if (!owner_) return;
    owner_->videoUsed_ -= videoBytes_;
    auto& list = owner_->surfaces_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
    if (owner_->primary_ == this) owner_->primary_ = nullptr;
}

HRESULT DirectDrawSurface::GetSurfaceDesc(DDSURFACEDESC& desc) const {
    desc = DDSURFACEDESC{};
    desc.dwFlags = DDSD_CAPS | DDSD_WIDTH | DDSD_HEIGHT | DDSD_PITCH | DDSD_PIXELFORMAT;
    desc.dwWidth = uint32_t(width_);
    desc.dwHeight = uint32_t(height_);
    desc.lPitch = pitch_;
    desc.ddpfPixelFormat = format_;
    desc.ddsCaps = caps_;
    desc.dwBackBufferCount = backBuffer_ ? 1 : 0;
    if (hasSrcKey_) {
        desc.dwFlags |= DDSD_CKSRCBLT;
        desc.ddckCKSrcBlt = srcKey_;
    }
    return DD_OK;
}

HRESULT DirectDrawSurface::Lock(const RECT* rect, DDSURFACEDESC& desc, uint32_t flags, void*) {
    if (lost_) return DDERR_SURFACELOST;
    if (locked_) return DDERR_SURFACEBUSY;
    RECT r{0, 0, width_, height_};
    if (rect) {
        if (!Inside(*rect, width_, height_) || Empty(*rect)) return DDERR_INVALIDRECT;
        r = *rect;
    }
    FetchFromScreen();
    // Only a whole-surface write shows at its unlock: pixel accesses lock a row or read,
    // and what they change shows with the next flip.
    presentOnUnlock_ = !(flags & DDLOCK_READONLY) && r.left == 0 && r.top == 0 && r.right == width_ &&
                       r.bottom == height_;
    GetSurfaceDesc(desc);
    desc.dwWidth = uint32_t(r.right - r.left);
    desc.dwHeight = uint32_t(r.bottom - r.top);
    desc.lpSurface = Row(r.top) + ptrdiff_t(r.left) * BytesPerPixel();
    locked_ = true;
    return DD_OK;
}

HRESULT DirectDrawSurface::Unlock(void*) {
    if (!locked_) return DDERR_NOTLOCKED;
    locked_ = false;
    if (presentOnUnlock_) PresentIfPrimary();
    return DD_OK;
}

void DirectDrawSurface::FillRect(const RECT& r, uint32_t color) {
    const int32_t bytes = BytesPerPixel();
    for (int32_t y = r.top; y < r.bottom; ++y) {
        uint8_t* p = Row(y) + ptrdiff_t(r.left) * bytes;
        if (bytes == 2) {
            std::fill_n(reinterpret_cast<uint16_t*>(p), r.right - r.left, uint16_t(color));
        } else {
            for (int32_t x = r.left; x < r.right; ++x, p += bytes) WritePixel(p, bytes, color);
        }
    }
}

HRESULT DirectDrawSurface::Copy(const RECT& dest, DirectDrawSurface& source, const RECT& src, bool keyed,
                                uint32_t mirror) {
    if (source.format_.dwRGBBitCount != format_.dwRGBBitCount) return DDERR_INVALIDPIXELFORMAT;
    source.FetchFromScreen();
    // Sizes and 16.16 steps in 64 bits: a destination may reach far beyond the surface.
    const int64_t dw = int64_t(dest.right) - dest.left, dh = int64_t(dest.bottom) - dest.top;
    const int64_t sw = int64_t(src.right) - src.left, sh = int64_t(src.bottom) - src.top;
    const RECT clip = Intersect(dest, clipper_ ? clipper_->ClipRect(width_, height_) : RECT{0, 0, width_, height_});
    if (Empty(clip)) return DD_OK;
    const bool oneToOne = sw == dw && sh == dh;  // no division: most draws are sprites and pictures
    const int64_t du = oneToOne ? 0x10000 : (sw << 16) / dw, dv = oneToOne ? 0x10000 : (sh << 16) / dh;
    const bool mirrorX = mirror & DDBLTFX_MIRRORLEFTRIGHT, mirrorY = mirror & DDBLTFX_MIRRORUPDOWN;
    const uint32_t low = source.srcKey_.dwColorSpaceLowValue, high = source.srcKey_.dwColorSpaceHighValue;
    keyed = keyed && source.hasSrcKey_;
    const int32_t bytes = BytesPerPixel();
    // A copy of the source when both are one surface and the rectangles may meet.
    std::vector<uint8_t> scratch;
    const uint8_t* sbase = source.pixels_.data();
    if (&source == this) {
        scratch = pixels_;
        sbase = scratch.data();
    }
    const int32_t count = clip.right - clip.left;
    // Source column of the first visible pixel in 16.16, exact however far the cut, and its step.
    int64_t u0 = oneToOne ? (int64_t(clip.left) - dest.left) << 16
                          : int64_t((__int128(int64_t(clip.left) - dest.left) * sw << 16) / dw);
    int64_t step = du;
    if (mirrorX) {
        u0 = (sw << 16) - 1 - u0;
        step = -du;
    }
    // Whole rows one to one between surfaces of one pitch: one block.
    const size_t rowBytes = size_t(count) * size_t(bytes);
    if (!keyed && !mirror && du == 0x10000 && dv == 0x10000 && rowBytes == size_t(pitch_) &&
        source.pitch_ == pitch_ && u0 == 0 && src.left == 0) {
        std::memmove(Row(clip.top), sbase + size_t(src.top + (clip.top - dest.top)) * size_t(pitch_),
                     rowBytes * size_t(clip.bottom - clip.top));
        return DD_OK;
    }
    for (int32_t y = clip.top; y < clip.bottom; ++y) {
        int64_t v = ((int64_t(y) - dest.top) * dv) >> 16;
        if (mirrorY) v = sh - 1 - v;
        const uint8_t* srow = sbase + size_t(src.top + v) * size_t(source.pitch_) + ptrdiff_t(src.left) * bytes;
        uint8_t* drow = Row(y) + ptrdiff_t(clip.left) * bytes;
        if (step < 0) {
            for (int32_t i = 0; i < count; ++i) {
                const int64_t sx = (u0 + i * step) >> 16;
                const uint32_t px = ReadPixel(srow + ptrdiff_t(sx) * bytes, bytes);
                if (!keyed || px < low || px > high) WritePixel(drow + ptrdiff_t(i) * bytes, bytes, px);
            }
            continue;
        }
        switch (bytes) {
            case 1: CopyRow<1>(drow, srow, count, u0, step, keyed, low, high); break;
            case 2: CopyRow<2>(drow, srow, count, u0, step, keyed, low, high); break;
            case 3: CopyRow<3>(drow, srow, count, u0, step, keyed, low, high); break;
            default: CopyRow<4>(drow, srow, count, u0, step, keyed, low, high); break;
        }
    }
    return DD_OK;
}

HRESULT DirectDrawSurface::Blt(const RECT* destRect, DirectDrawSurface* source, const RECT* srcRect, uint32_t flags,
                               const DDBLTFX* fx) {
    if (lost_ || (source && source->lost_)) return DDERR_SURFACELOST;
    if (locked_ || (source && source->locked_)) return DDERR_SURFACEBUSY;
    const RECT dest = destRect ? *destRect : RECT{0, 0, width_, height_};
    if (Empty(dest)) return DDERR_INVALIDRECT;
    if (!clipper_ && !Inside(dest, width_, height_)) return DDERR_INVALIDRECT;
    HRESULT hr = DD_OK;
    if (flags & DDBLT_COLORFILL) {
        if (!fx) return DDERR_INVALIDPARAMS;
        const RECT r = Intersect(dest, clipper_ ? clipper_->ClipRect(width_, height_) : RECT{0, 0, width_, height_});
        BeforeWrite(r, true);
        if (!Empty(r)) FillRect(r, fx->dwFillColor);
    } else {
        if (!source) return DDERR_INVALIDPARAMS;
        const RECT src = srcRect ? *srcRect : RECT{0, 0, source->width_, source->height_};
        if (Empty(src) || !Inside(src, source->width_, source->height_)) return DDERR_INVALIDRECT;
        const uint32_t mirror = (flags & DDBLT_DDFX) && fx ? fx->dwDDFX : 0;
        if (PresentStraight(dest, *source, src, flags & DDBLT_KEYSRC, mirror)) return DD_OK;
        BeforeWrite(Intersect(dest, clipper_ ? clipper_->ClipRect(width_, height_) : RECT{0, 0, width_, height_}),
                    !(flags & DDBLT_KEYSRC) || !source->hasSrcKey_);
        hr = Copy(dest, *source, src, flags & DDBLT_KEYSRC, mirror);
    }
    if (hr == DD_OK) PresentIfPrimary();
    return hr;
}

HRESULT DirectDrawSurface::BltFast(int32_t x, int32_t y, DirectDrawSurface* source, const RECT* srcRect,
                                   uint32_t flags) {
    if (!source) return DDERR_INVALIDPARAMS;
    if (lost_ || source->lost_) return DDERR_SURFACELOST;
    if (locked_ || source->locked_) return DDERR_SURFACEBUSY;
    if (clipper_) return DDERR_BLTFASTCANTCLIP;
    const RECT src = srcRect ? *srcRect : RECT{0, 0, source->width_, source->height_};
    if (Empty(src) || !Inside(src, source->width_, source->height_)) return DDERR_INVALIDRECT;
    const RECT dest{x, y, x + src.right - src.left, y + src.bottom - src.top};
    if (!Inside(dest, width_, height_)) return DDERR_INVALIDRECT;
    if (PresentStraight(dest, *source, src, flags & DDBLTFAST_SRCCOLORKEY, 0)) return DD_OK;
    BeforeWrite(dest, !(flags & DDBLTFAST_SRCCOLORKEY) || !source->hasSrcKey_);
    const HRESULT hr = Copy(dest, *source, src, flags & DDBLTFAST_SRCCOLORKEY, 0);
    if (hr == DD_OK) PresentIfPrimary();
    return hr;
}

HRESULT DirectDrawSurface::Flip(DirectDrawSurface*, uint32_t) {
    if (!backBuffer_) return DDERR_NOTFLIPPABLE;
    if (lost_ || backBuffer_->lost_) return DDERR_SURFACELOST;
    if (locked_ || backBuffer_->locked_) return DDERR_SURFACEBUSY;
    FetchFromScreen();
    std::swap(pixels_, backBuffer_->pixels_);
    PresentIfPrimary();
    return DD_OK;
}

HRESULT DirectDrawSurface::GetAttachedSurface(uint32_t caps, std::shared_ptr<DirectDrawSurface>& surface) const {
    if (!backBuffer_ || !(caps & DDSCAPS_BACKBUFFER)) return DDERR_NOTFOUND;
    surface = backBuffer_;
    return DD_OK;
}

HRESULT DirectDrawSurface::SetColorKey(uint32_t flags, const DDCOLORKEY* key) {
    if (!(flags & DDCKEY_SRCBLT)) return DDERR_UNSUPPORTED;
    hasSrcKey_ = key != nullptr;
    srcKey_ = key ? *key : DDCOLORKEY{};
    return DD_OK;
}

HRESULT DirectDrawSurface::GetColorKey(uint32_t flags, DDCOLORKEY& key) const {
    if (!(flags & DDCKEY_SRCBLT) || !hasSrcKey_) return DDERR_NOTFOUND;
    key = srcKey_;
    return DD_OK;
}

HRESULT DirectDrawSurface::SetClipper(std::shared_ptr<DirectDrawClipper> clipper) {
    clipper_ = std::move(clipper);
    return DD_OK;
}

HRESULT DirectDrawSurface::GetClipper(std::shared_ptr<DirectDrawClipper>& clipper) const {
    if (!clipper_) return DDERR_NOTFOUND;
    clipper = clipper_;
    return DD_OK;
}

HRESULT DirectDrawSurface::SetPalette(std::shared_ptr<DirectDrawPalette> palette) {
    palette_ = std::move(palette);
    return DD_OK;
}

HRESULT DirectDrawSurface::Restore() {
    if (lost_) {
        std::fill(pixels_.begin(), pixels_.end(), uint8_t(0));
        lost_ = false;
        onScreen_ = false;
    }
    if (backBuffer_) backBuffer_->Restore();
    return DD_OK;
}

void DirectDrawSurface::PresentIfPrimary() {
    if (!owner_ || !(caps_ & DDSCAPS_PRIMARYSURFACE)) return;
    Present(pixels_.data(), pitch_);
}

bool DirectDrawSurface::PresentStraight(const RECT& dest, DirectDrawSurface& source, const RECT& src, bool keyed,
                                        uint32_t mirror) {
    const RECT whole{0, 0, width_, height_};
    const auto same = [](const RECT& a, const RECT& b) {
        return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
    };
    if (!owner_ || !(caps_ & DDSCAPS_PRIMARYSURFACE) || &source == this || format_.dwRGBBitCount != 16 ||
        source.format_.dwRGBBitCount != 16 || mirror || (keyed && source.hasSrcKey_) || !same(dest, whole) ||
        !same(src, {0, 0, source.width_, source.height_}) || source.width_ != width_ || source.height_ != height_ ||
        (clipper_ && !same(clipper_->ClipRect(width_, height_), whole)))
        return false;
    source.FetchFromScreen();
    Present(source.pixels_.data(), source.pitch_);
    onScreen_ = true;
    return true;
}

void DirectDrawSurface::FetchFromScreen() {
    if (!onScreen_) return;
    onScreen_ = false;
    const display::Frame frame = owner_ ? owner_->presenter_.ReadFrame() : display::Frame{};
    if (frame.Width != width_ || frame.Height != height_ || format_.dwRGBBitCount != 16) return;
    for (int32_t y = 0; y < height_; ++y)
        std::memcpy(Row(y), frame.Pixels.data() + size_t(y) * size_t(width_), size_t(width_) * 2);
}

void DirectDrawSurface::BeforeWrite(const RECT& r, bool everyPixel) {
    if (everyPixel && r.left <= 0 && r.top <= 0 && r.right >= width_ && r.bottom >= height_)
        onScreen_ = false;  // all of it is written
    else
        FetchFromScreen();
}

void DirectDrawSurface::Present(const uint8_t* pixels, int32_t pitch) {
    owner_->BeforePresent();
    const uint32_t bits = format_.dwRGBBitCount;
    if (bits == 16) {
        owner_->presenter_.Present(reinterpret_cast<const uint16_t*>(pixels), pitch, width_, height_);
        return;
    }
    std::vector<uint16_t> frame(size_t(width_) * size_t(height_));
    const int32_t bytes = BytesPerPixel();
    for (int32_t y = 0; y < height_; ++y) {
        const uint8_t* row = pixels + ptrdiff_t(y) * pitch;
        for (int32_t x = 0; x < width_; ++x) {
            uint32_t r, g, b;
            const uint32_t v = ReadPixel(row + ptrdiff_t(x) * bytes, bytes);
            if (bits == 8) {
                const PALETTEENTRY e = palette_ ? palette_->Entries()[v & 255] : PALETTEENTRY{};
                r = e.peRed, g = e.peGreen, b = e.peBlue;
            } else {
                r = (v >> 16) & 255, g = (v >> 8) & 255, b = v & 255;
            }
            frame[size_t(y) * size_t(width_) + size_t(x)] = uint16_t((r >> 3) << 11 | (g >> 2) << 5 | b >> 3);
        }
    }
    owner_->presenter_.Present(frame.data(), width_ * 2, width_, height_);
}

// --- device --------------------------------------------------------------------

DeviceConfig DefaultDeviceConfig() {
    DeviceConfig c;
    for (auto [w, h] : {std::pair{640u, 480u}, {800u, 600u}, {1024u, 768u}, {1280u, 720u}, {1280u, 1024u},
                        {1920u, 1080u}})
        for (uint32_t bits : {8u, 16u, 32u}) c.Modes.push_back({w, h, bits});
    c.VideoMemory = size_t(32) << 20;
    if (const char* kb = std::getenv("SPRALLION_VIDEO_MEMORY")) c.VideoMemory = size_t(std::strtoull(kb, nullptr, 10)) << 10;
    return c;
}

DirectDraw::DirectDraw(display::Presenter& presenter, DeviceConfig config)
    : presenter_(presenter), config_(std::move(config)) {
    mode_ = {uint32_t(presenter.Width() > 0 ? presenter.Width() : 800),
             uint32_t(presenter.Height() > 0 ? presenter.Height() : 600), 16};
}

DirectDraw::~DirectDraw() {
    if (appHook_) window::App().RemoveActivateHook(appHook_);
    for (DirectDrawSurface* s : surfaces_) s->owner_ = nullptr;
    // Releasing the device that changed the mode gives the desktop its mode back.
    RestoreDisplayMode();
}

HRESULT DirectDraw::CreateSurface(const DDSURFACEDESC& desc, std::shared_ptr<DirectDrawSurface>& surface) {
    if (!(desc.dwFlags & DDSD_CAPS)) return DDERR_INVALIDPARAMS;
    uint32_t caps = desc.ddsCaps;
    int32_t width, height;
    const bool primary = caps & DDSCAPS_PRIMARYSURFACE;
    if (primary) {
        if (primary_) return DDERR_PRIMARYSURFACEALREADYEXISTS;
        width = int32_t(mode_.Width);
        height = int32_t(mode_.Height);
        caps |= DDSCAPS_FRONTBUFFER;
    } else {
        if (!(desc.dwFlags & DDSD_WIDTH) || !(desc.dwFlags & DDSD_HEIGHT)) return DDERR_INVALIDPARAMS;
        width = int32_t(desc.dwWidth);
        height = int32_t(desc.dwHeight);
        if (width <= 0 || height <= 0 || width > 16384 || height > 16384) return DDERR_INVALIDPARAMS;
    }
    const DDPIXELFORMAT format =
        (desc.dwFlags & DDSD_PIXELFORMAT) ? desc.ddpfPixelFormat : PixelFormatFor(mode_.BitCount);
    if (format.dwRGBBitCount != 8 && format.dwRGBBitCount != 16 && format.dwRGBBitCount != 24 &&
        format.dwRGBBitCount != 32)
        return DDERR_INVALIDPIXELFORMAT;
    const bool chain = primary && (caps & DDSCAPS_FLIP) && desc.dwBackBufferCount >= 1;
    if (chain && !(caps & DDSCAPS_COMPLEX)) return DDERR_INVALIDPARAMS;
    const bool system = caps & DDSCAPS_SYSTEMMEMORY;
    caps = system ? (caps & ~DDSCAPS_VIDEOMEMORY) : (caps | DDSCAPS_VIDEOMEMORY);
    const size_t pitch = size_t((width * int32_t(format.dwRGBBitCount) / 8 + 3) & ~3);
    const size_t bytes = pitch * size_t(height) * (chain ? 2 : 1);
    if (!system && bytes > config_.VideoMemory - videoUsed_) return DDERR_OUTOFVIDEOMEMORY;

    std::shared_ptr<DirectDrawSurface> made(new DirectDrawSurface(this, caps, width, height, format));
    if (!system) {
        made->videoBytes_ = pitch * size_t(height);
        videoUsed_ += made->videoBytes_;
    }
    surfaces_.push_back(made.get());
    if (chain) {
        std::shared_ptr<DirectDrawSurface> back(new DirectDrawSurface(
            this, (caps & ~(DDSCAPS_PRIMARYSURFACE | DDSCAPS_FRONTBUFFER)) | DDSCAPS_BACKBUFFER, width, height, format));
        back->videoBytes_ = system ? 0 : pitch * size_t(height);
        videoUsed_ += back->videoBytes_;
        back->front_ = made.get();
        surfaces_.push_back(back.get());
        made->backBuffer_ = std::move(back);
    }
    if (primary) {
        primary_ = made.get();
        if (presenter_.Width() != width || presenter_.Height() != height)
            presenter_.SetMode(width, height, coopFlags_ & DDSCL_FULLSCREEN);
    }
    surface = std::move(made);
    return DD_OK;
}

HRESULT DirectDraw::CreateClipper(std::shared_ptr<DirectDrawClipper>& clipper) {
    clipper = std::make_shared<DirectDrawClipper>();
    return DD_OK;
}

HRESULT DirectDraw::CreatePalette(uint32_t caps, const PALETTEENTRY* entries,
                                  std::shared_ptr<DirectDrawPalette>& palette) {
    if (!(caps & DDPCAPS_8BIT)) return DDERR_INVALIDPARAMS;
    palette = std::make_shared<DirectDrawPalette>(caps, entries);
    return DD_OK;
}

HRESULT DirectDraw::SetCooperativeLevel(const display::Form*, uint32_t flags) {
    const bool full = flags & DDSCL_FULLSCREEN;
    if (full != bool(flags & DDSCL_EXCLUSIVE)) return DDERR_INVALIDPARAMS;
    if (!full && !(flags & DDSCL_NORMAL)) return DDERR_INVALIDPARAMS;
    if (!full) RestoreDisplayMode();  // giving up exclusive use gives the desktop back
    coopFlags_ = flags;
    // While it holds the screen, the device gives it back whenever the application is
    // switched away from, and takes it again with the first frame after.
    if (full && !appHook_) {
        appHook_ = window::App().AddActivateHook([this](bool active) {
            if (!active) FlipToGDISurface();
        });
    } else if (!full && appHook_) {
        window::App().RemoveActivateHook(appHook_);
        appHook_ = 0;
    }
    return DD_OK;
}

HRESULT DirectDraw::SetDisplayMode(uint32_t width, uint32_t height, uint32_t bitCount) {
    const DisplayMode wanted{width, height, bitCount};
    if (std::find(config_.Modes.begin(), config_.Modes.end(), wanted) == config_.Modes.end())
        return DDERR_INVALIDMODE;
    if (!(coopFlags_ & DDSCL_EXCLUSIVE)) return DDERR_INVALIDPARAMS;
    if (!(mode_ == wanted)) LoseAllSurfaces();
    mode_ = wanted;
    modeSet_ = true;
    desktopShown_ = false;
    presenter_.SetMode(int32_t(width), int32_t(height), true);
    return DD_OK;
}

HRESULT DirectDraw::RestoreDisplayMode() {
    if (!modeSet_) return DD_OK;
    modeSet_ = false;
    desktopShown_ = false;
    // The desktop: the window at the size the game draws, no longer covering the screen.
    presenter_.SetMode(int32_t(mode_.Width), int32_t(mode_.Height), false);
    return DD_OK;
}

HRESULT DirectDraw::WaitForVerticalBlank(uint32_t flags) {
    if (flags != DDWAITVB_BLOCKBEGIN) return DDERR_UNSUPPORTED;
    // The wait happens in the present that follows, which is made on the display's refresh.
    vblankWaited_ = true;
    return DD_OK;
}

HRESULT DirectDraw::FlipToGDISurface() {
    if (!modeSet_ || desktopShown_) return DD_OK;
    desktopShown_ = true;
    presenter_.SetMode(int32_t(mode_.Width), int32_t(mode_.Height), false);
    return DD_OK;
}

void DirectDraw::BeforePresent() {
    // The first frame after the desktop was shown takes the full screen back.
    if (desktopShown_ && (coopFlags_ & DDSCL_EXCLUSIVE)) {
        desktopShown_ = false;
        presenter_.SetMode(int32_t(mode_.Width), int32_t(mode_.Height), true);
    }
    presenter_.SetVSync(vblankWaited_);
    vblankWaited_ = false;
}

void DirectDraw::LoseAllSurfaces() {
    for (DirectDrawSurface* s : surfaces_) s->lost_ = true;
}

}  // namespace platform::ddraw
