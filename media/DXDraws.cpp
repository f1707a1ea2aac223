#include "media/DXDraws.h"
#include "media/DXDrawsCanvas.h"

#include <algorithm>
#include <cstring>

#include "media/DXRender.h"
#include "rtl/Format.h"

namespace media {

namespace {

dd::RECT ToRECT(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

uint32_t ChannelBits(uint32_t mask, uint8_t value) {
    if (!mask) return 0;
    const int low = __builtin_ctz(mask);
    const int width = __builtin_popcount(mask);
    const uint32_t v = width >= 8 ? uint32_t(value) << (width - 8) : uint32_t(value) >> (8 - width);
    return (v << low) & mask;
}

uint8_t ChannelValue(uint32_t mask, uint32_t pixel) {
    if (!mask) return 0;
    const int low = __builtin_ctz(mask);
    const int width = __builtin_popcount(mask);
    uint32_t v = (pixel & mask) >> low;
    if (width >= 8) return uint8_t(v >> (width - 8));
    v <<= (8 - width);
    return uint8_t(v | v >> width);  // spread the top bits into the low ones
}

template <class T>
void Detach(std::vector<T*>& list, T* item) {
    list.erase(std::remove(list.begin(), list.end(), item), list.end());
}

// Routes the render pipeline's lock calls through the surface's counted lock.
struct CountedLock {
    TDirectDrawSurface& Surface;
    bool Held = false;
    int32_t Lock(const void*, dd::DDSURFACEDESC& desc, uint32_t, void*) {
        Held = Surface.Lock(nullptr, desc);
        return Held ? 0 : 1;
    }
    void Unlock(void*) {
        if (Held) Surface.Unlock();
        Held = false;
    }
};

}  // namespace

uint32_t DeviceColor(const dd::DDPIXELFORMAT& f, const dd::DirectDrawPalette* palette, uint8_t r, uint8_t g,
                     uint8_t b) {
    if (f.dwFlags & dd::DDPF_PALETTEINDEXEDANY) {
        if (!palette) return 0;
        uint32_t best = 0, bestDistance = ~0u;
        const uint32_t entries = f.dwRGBBitCount >= 8 ? 256 : (1u << f.dwRGBBitCount);
        for (uint32_t i = 0; i < entries; ++i) {
            const auto& e = palette->Entries()[i];
            const int dr = e.peRed - r, dg = e.peGreen - g, db = e.peBlue - b;
            const uint32_t d = uint32_t(dr * dr + dg * dg + db * db);
            if (d < bestDistance) best = i, bestDistance = d;
        }
        return best;
    }
    return ChannelBits(f.dwRBitMask, r) | ChannelBits(f.dwGBitMask, g) | ChannelBits(f.dwBBitMask, b);
}

// --- device ----------------------------------------------------------------------

TDirectDraw::TDirectDraw(platform::display::Presenter& presenter, dd::DeviceConfig config, bool directX7Mode)
    : draw_(std::make_unique<dd::DirectDraw>(presenter, std::move(config))), directX7Mode_(directX7Mode) {}

TDirectDraw::~TDirectDraw() {
    // The objects made here lose their interfaces, last made first; their owners free them.
    while (!surfaces_.empty()) {
        TDirectDrawSurface* s = surfaces_.back();
        s->ReleaseSurface();
        s->owner_ = nullptr;
        surfaces_.pop_back();
    }
    while (!palettes_.empty()) {
        palettes_.back()->Release();
        palettes_.back()->owner_ = nullptr;
        palettes_.pop_back();
    }
    while (!clippers_.empty()) {
        clippers_.back()->Release();
        clippers_.back()->owner_ = nullptr;
        clippers_.pop_back();
    }
}

// --- palette and clipper --------------------------------------------------------------

TDirectDrawPalette::TDirectDrawPalette(TDirectDraw& owner) : owner_(&owner) { owner.palettes_.push_back(this); }

TDirectDrawPalette::~TDirectDrawPalette() {
    if (owner_) Detach(owner_->palettes_, this);
}

bool TDirectDrawPalette::CreatePalette(uint32_t caps, const dd::PALETTEENTRY* entries) {
    palette_.reset();
    if (!owner_) return false;
    SetDXResult(owner_->IDraw().CreatePalette(caps, entries, palette_));
    return DXResult() == dd::DD_OK;
}

bool TDirectDrawPalette::SetEntries(uint32_t startIndex, uint32_t count, const dd::PALETTEENTRY* entries) {
    if (!palette_) return false;
    SetDXResult(palette_->SetEntries(startIndex, count, entries));
    return DXResult() == dd::DD_OK;
}

const std::shared_ptr<dd::DirectDrawPalette>& TDirectDrawPalette::IDDPalette() const {
    if (!palette_) throw EDirectDrawPaletteError(rtl::Format("%s not made", {"IDirectDrawPalette"}));
    return palette_;
}

TDirectDrawClipper::TDirectDrawClipper(TDirectDraw& owner) : owner_(&owner) {
    SetDXResult(owner.IDraw().CreateClipper(clipper_));
    if (DXResult() != dd::DD_OK) throw EDirectDrawClipperError(rtl::Format("%s cannot be made", {"Clipper"}));
    owner.clippers_.push_back(this);
}

TDirectDrawClipper::~TDirectDrawClipper() {
    if (owner_) Detach(owner_->clippers_, this);
}

void TDirectDrawClipper::SetHandle(const platform::display::Form* window) {
    if (clipper_) SetDXResult(clipper_->SetHWnd(window));
}

const std::shared_ptr<dd::DirectDrawClipper>& TDirectDrawClipper::IDDClipper() const {
    if (!clipper_) throw EDirectDrawClipperError(rtl::Format("%s not made", {"IDirectDrawClipper"}));
    return clipper_;
}

// --- surface: life and description -------------------------------------------------------

TDirectDrawSurface::TDirectDrawSurface(TDirectDraw& owner) : owner_(&owner) { owner.surfaces_.push_back(this); }

TDirectDrawSurface::~TDirectDrawSurface() {
    if (canvas_) canvas_->Release();
    ReleaseSurface();
    if (owner_) Detach(owner_->surfaces_, this);
}

void TDirectDrawSurface::ReleaseSurface() { SetIDDSurface(nullptr); }

TDirectDrawSurfaceCanvas& TDirectDrawSurface::Canvas() {
    if (!canvas_) canvas_ = std::make_unique<TDirectDrawSurfaceCanvas>(*this);
    return *canvas_;
}

void TDirectDrawSurface::SetIDDSurface(std::shared_ptr<dd::DirectDrawSurface> surface) {
    if (surface == surface_) return;
    if (canvas_) canvas_->Release();  // its lock belongs to the surface that goes
    if (surface_ && lockCount_ > 0) surface_->Unlock(nullptr);
    surface_ = std::move(surface);
    hasClipper_ = false;
    lockCount_ = 0;
    desc_ = dd::DDSURFACEDESC{};
    if (!surface_) return;
    std::shared_ptr<dd::DirectDrawClipper> clipper;
    hasClipper_ = surface_->GetClipper(clipper) == dd::DD_OK;
    surface_->GetSurfaceDesc(desc_);
}

bool TDirectDrawSurface::CreateSurface(const dd::DDSURFACEDESC& desc) {
    ReleaseSurface();
    if (!owner_) return false;
    std::shared_ptr<dd::DirectDrawSurface> made;
    SetDXResult(owner_->IDraw().CreateSurface(desc, made));
    if (DXResult() != dd::DD_OK) return false;
    SetIDDSurface(std::move(made));
    SetTransparentColor(0);
    return true;
}

void TDirectDrawSurface::SetSize(int32_t width, int32_t height) {
    if (width <= 0 || height <= 0) {
        ReleaseSurface();
        return;
    }
    dd::DDSURFACEDESC d;
    d.dwFlags = dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT;
    d.dwWidth = uint32_t(width);
    d.dwHeight = uint32_t(height);
    d.ddsCaps = dd::DDSCAPS_OFFSCREENPLAIN | (SystemMemory ? dd::DDSCAPS_SYSTEMMEMORY : 0);
    if (!CreateSurface(d)) {
        if (d.ddsCaps & dd::DDSCAPS_SYSTEMMEMORY)
            throw EDirectDrawSurfaceError(rtl::Format("%s cannot be made", {"Surface"}));
        d.ddsCaps = (d.ddsCaps & ~dd::DDSCAPS_VIDEOMEMORY) | dd::DDSCAPS_SYSTEMMEMORY;
        if (!CreateSurface(d)) throw EDirectDrawSurfaceError(rtl::Format("%s cannot be made", {"Surface"}));
        SystemMemory = true;
    }
}

// --- surface: blits ---------------------------------------------------------------------

bool TDirectDrawSurface::Blt(const TRect* destRect, const TRect* srcRect, uint32_t flags,
                             const dd::DDBLTFX* effects, TDirectDrawSurface* source) {
    if (!surface_) return false;
    dd::RECT d, s;
    if (destRect) d = ToRECT(*destRect);
    if (srcRect) s = ToRECT(*srcRect);
    SetDXResult(surface_->Blt(destRect ? &d : nullptr, source ? source->surface_.get() : nullptr,
                              srcRect ? &s : nullptr, flags, effects));
    return DXResult() == dd::DD_OK;
}

bool TDirectDrawSurface::BltFast(int32_t x, int32_t y, const TRect& srcRect, uint32_t flags,
                                 TDirectDrawSurface* source) {
    if (!surface_ || !source) return false;
    const dd::RECT s = ToRECT(srcRect);
    SetDXResult(surface_->BltFast(x, y, source->surface_.get(), &s, flags));
    return DXResult() == dd::DD_OK;
}

// Cuts dest to this surface and src to the source; every cut of an edge of one moves the
// same edge of the other by as much. False when either ends up empty.
bool TDirectDrawSurface::Clip(TRect& dest, TRect& src, const TDirectDrawSurface& source) const {
    const int32_t dw = Width(), dh = Height(), sw = source.Width(), sh = source.Height();
    if (dest.Left < 0) src.Left -= dest.Left, dest.Left = 0;
    if (dest.Top < 0) src.Top -= dest.Top, dest.Top = 0;
    if (src.Left < 0) dest.Left -= src.Left, src.Left = 0;
    if (src.Top < 0) dest.Top -= src.Top, src.Top = 0;
    if (dest.Right > dw) src.Right -= dest.Right - dw, dest.Right = dw;
    if (dest.Bottom > dh) src.Bottom -= dest.Bottom - dh, dest.Bottom = dh;
    if (src.Right > sw) dest.Right -= src.Right - sw, src.Right = sw;
    if (src.Bottom > sh) dest.Bottom -= src.Bottom - sh, src.Bottom = sh;
    return dest.Right > dest.Left && dest.Bottom > dest.Top && src.Right > src.Left && src.Bottom > src.Top;
}

bool TDirectDrawSurface::BltMirror(const TRect& dest, const TRect& src, uint32_t mirror, TDirectDrawSurface* source,
                                   bool transparent) {
    dd::DDBLTFX fx;
    fx.dwDDFX = mirror;
    const uint32_t flags = dd::DDBLT_WAIT | (transparent ? dd::DDBLT_KEYSRC : 0) | (mirror ? dd::DDBLT_DDFX : 0);
    return Blt(&dest, &src, flags, &fx, source);
}

void TDirectDrawSurface::Draw(int32_t x, int32_t y, const TRect& srcRect, TDirectDrawSurface* source,
                              bool transparent) {
    if (!surface_ || !source || !source->surface_ || x >= Width() || y >= Height()) return;
    TRect src = srcRect;
    uint32_t mirror = 0;
    if (src.Right < src.Left) std::swap(src.Left, src.Right), mirror |= dd::DDBLTFX_MIRRORLEFTRIGHT;
    if (src.Bottom < src.Top) std::swap(src.Top, src.Bottom), mirror |= dd::DDBLTFX_MIRRORUPDOWN;
    const int32_t w = src.Right - src.Left, h = src.Bottom - src.Top;
    if (mirror && (w + x <= 0 || h + y <= 0)) return;
    const TRect whole = src;
    TRect dest{x, y, x + w, y + h};
    if (!Clip(dest, src, *source)) return;
    if (mirror) {
        // A cut of one destination edge takes the opposite edge of the mirrored source:
        // reflect the clipped part within the rectangle asked for.
        if (mirror & dd::DDBLTFX_MIRRORLEFTRIGHT) {
            const int32_t l = whole.Left + whole.Right - src.Right, r = whole.Left + whole.Right - src.Left;
            src.Left = l, src.Right = r;
        }
        if (mirror & dd::DDBLTFX_MIRRORUPDOWN) {
            const int32_t t = whole.Top + whole.Bottom - src.Bottom, b = whole.Top + whole.Bottom - src.Top;
            src.Top = t, src.Bottom = b;
        }
        BltMirror(dest, src, mirror, source, transparent);
        return;
    }
    if (hasClipper_) {
        BltMirror(dest, src, 0, source, transparent);
        return;
    }
    const uint32_t fastFlags = dd::DDBLTFAST_WAIT | (transparent ? dd::DDBLTFAST_SRCCOLORKEY : 0);
    if (BltFast(dest.Left, dest.Top, src, fastFlags, source)) return;
    if (DXResult() == dd::DDERR_BLTFASTCANTCLIP) {
        std::shared_ptr<dd::DirectDrawClipper> clipper;
        if (surface_->GetClipper(clipper) == dd::DD_OK) hasClipper_ = true;
        BltMirror(dest, src, 0, source, transparent);
    }
}

void TDirectDrawSurface::DrawAlpha(const TRect& destRect, const TRect& srcRect, TDirectDrawSurface* source,
                                   bool transparent, int32_t alpha) {
    if (!source || Width() == 0 || Height() == 0 || source->Width() == 0 || source->Height() == 0 || alpha <= 0)
        return;
    CountedLock destLock{*this}, srcLock{*source};
    TDXRSurface dest, src;
    // Each lock is undone only when it was taken: the source may be this very surface,
    // whose second lock is refused while the first still stands.
    if (!LockRenderSurface(destLock, dest)) return;
    if (!LockRenderSurface(srcLock, src)) {
        UnlockRenderSurface(destLock, dest);
        return;
    }
    const bool indexed = desc_.ddpfPixelFormat.dwFlags & dd::DDPF_PALETTEINDEXEDANY;
    const uint8_t op = (!indexed && alpha < 255) ? 10 : 1;
    try {
        StretchBlendRect(dest, src, {destRect.Left, destRect.Top, destRect.Right, destRect.Bottom},
                         {srcRect.Left, srcRect.Top, srcRect.Right, srcRect.Bottom}, op, std::min(alpha, 255),
                         transparent, source->desc_.ddckCKSrcBlt.dwColorSpaceLowValue);
    } catch (...) {
        UnlockRenderSurface(srcLock, src);
        UnlockRenderSurface(destLock, dest);
        throw;
    }
    UnlockRenderSurface(srcLock, src);
    UnlockRenderSurface(destLock, dest);
}

void TDirectDrawSurface::Fill(uint32_t devColor) {
    dd::DDBLTFX fx;
    fx.dwFillColor = devColor;
    Blt(nullptr, nullptr, dd::DDBLT_COLORFILL | dd::DDBLT_WAIT, &fx, nullptr);
}

void TDirectDrawSurface::FillRect(const TRect& rect, uint32_t devColor) {
    dd::DDBLTFX fx;
    fx.dwFillColor = devColor;
    TRect r{std::max(rect.Left, 0), std::max(rect.Top, 0), std::min(rect.Right, Width()),
            std::min(rect.Bottom, Height())};
    if (r.Right <= r.Left || r.Bottom <= r.Top) return;
    Blt(&r, nullptr, dd::DDBLT_COLORFILL | dd::DDBLT_WAIT, &fx, nullptr);
}

uint32_t TDirectDrawSurface::ColorMatch(uint32_t color) {
    if (!surface_) return 0;
    return DeviceColor(desc_.ddpfPixelFormat, surface_->Palette().get(), uint8_t(color), uint8_t(color >> 8),
                       uint8_t(color >> 16));
}

// --- surface: pixels and locks ---------------------------------------------------------------

namespace {

// The value of pixel X of a locked row, by the lock's bit count. 1-bit rows read bit 7 as the
// leftmost pixel, the order writes use.
uint32_t ReadLockedPixel(const dd::DDSURFACEDESC& d, const uint8_t* row, int32_t x) {
    switch (d.ddpfPixelFormat.dwRGBBitCount) {
        case 1: return (row[x >> 3] >> (7 - (x & 7))) & 1;
        case 4: return (x & 1) ? row[x >> 1] & 15 : row[x >> 1] >> 4;
        case 8: return row[x];
        case 16: return uint32_t(row[2 * x]) | uint32_t(row[2 * x + 1]) << 8;
        case 24: return uint32_t(row[3 * x]) | uint32_t(row[3 * x + 1]) << 8 | uint32_t(row[3 * x + 2]) << 16;
        case 32: {
            uint32_t v;
            std::memcpy(&v, row + 4 * x, 4);
            return v;
        }
        default: return 0;
    }
}

}  // namespace

// A pixel access locks only the pixel's row, or reads: on the primary surface it shows with
// the next flip instead of presenting the whole frame once per pixel.
uint32_t TDirectDrawSurface::Pixel(int32_t x, int32_t y) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return 0;
    dd::DDSURFACEDESC d;
    const TRect row{0, y, Width(), y + 1};
    if (!LockWith(&row, d, dd::DDLOCK_WAIT | dd::DDLOCK_READONLY)) return 0;
    const uint32_t v = ReadLockedPixel(d, static_cast<const uint8_t*>(d.lpSurface), x);
    Unlock();
    return v;
}

void TDirectDrawSurface::SetPixel(int32_t x, int32_t y, uint32_t value) {
    if (x < 0 || y < 0 || x >= Width() || y >= Height()) return;
    dd::DDSURFACEDESC d;
    const TRect line{0, y, Width(), y + 1};
    if (!LockWith(&line, d, dd::DDLOCK_WAIT)) return;
    uint8_t* row = static_cast<uint8_t*>(d.lpSurface);
    switch (d.ddpfPixelFormat.dwRGBBitCount) {
        case 1: {
            // One bit order for reads and writes: bit 7 is the leftmost pixel.
            const uint8_t bit = uint8_t(0x80 >> (x & 7));
            row[x >> 3] = uint8_t((value & 1) ? (row[x >> 3] | bit) : (row[x >> 3] & ~bit));
            break;
        }
        case 4: {
            uint8_t& b = row[x >> 1];
            b = (x & 1) ? uint8_t((b & 0xF0) | (value & 15)) : uint8_t((b & 0x0F) | (value & 15) << 4);
            break;
        }
        case 8: row[x] = uint8_t(value); break;
        case 16: row[2 * x] = uint8_t(value), row[2 * x + 1] = uint8_t(value >> 8); break;
        case 24:
            row[3 * x] = uint8_t(value), row[3 * x + 1] = uint8_t(value >> 8), row[3 * x + 2] = uint8_t(value >> 16);
            break;
        case 32: std::memcpy(row + 4 * x, &value, 4); break;
        default: break;
    }
    Unlock();
}

bool TDirectDrawSurface::Lock(const TRect* rect, dd::DDSURFACEDESC& desc) {
    return LockWith(rect, desc, dd::DDLOCK_WAIT);
}

bool TDirectDrawSurface::LockWith(const TRect* rect, dd::DDSURFACEDESC& desc, uint32_t flags) {
    if (!surface_ || lockCount_ > 0) return false;
    lockDesc_ = dd::DDSURFACEDESC{};
    const bool part = rect && !(rect->Left == 0 && rect->Top == 0 && rect->Right == Width() && rect->Bottom == Height());
    dd::RECT r;
    if (part) r = ToRECT(*rect);
    SetDXResult(surface_->Lock(part ? &r : nullptr, lockDesc_, flags, nullptr));
    if (DXResult() != dd::DD_OK) return false;
    lockCount_ = 1;
    desc = lockDesc_;
    return true;
}

void TDirectDrawSurface::Unlock() {
    if (!surface_ || lockCount_ <= 0) return;
    if (--lockCount_ == 0) SetDXResult(surface_->Unlock(lockDesc_.lpSurface));
}

// --- surface: attachments and state ---------------------------------------------------------------

bool TDirectDrawSurface::Restore() {
    if (!surface_) return false;
    SetDXResult(surface_->Restore());
    return DXResult() == dd::DD_OK;
}

void TDirectDrawSurface::SetClipper(TDirectDrawClipper* clipper) {
    if (!surface_) return;
    SetDXResult(surface_->SetClipper(clipper ? clipper->IDDClipper() : nullptr));
    hasClipper_ = clipper && DXResult() == dd::DD_OK;
}

void TDirectDrawSurface::SetPalette(TDirectDrawPalette* palette) {
    if (!surface_) return;
    SetDXResult(surface_->SetPalette(palette && palette->HasPalette() ? palette->IDDPalette() : nullptr));
}

void TDirectDrawSurface::SetColorKey(uint32_t flags, const dd::DDCOLORKEY& key) {
    if (!surface_) return;
    SetDXResult(surface_->SetColorKey(flags, &key));
    surface_->GetSurfaceDesc(desc_);
}

void TDirectDrawSurface::SetTransparentColor(uint32_t devColor) {
    SetColorKey(dd::DDCKEY_SRCBLT, dd::DDCOLORKEY{devColor, devColor});
}

// --- surface: pictures -----------------------------------------------------------------------

void TDirectDrawSurface::LoadFromGraphic(const TDIB& graphic) {
    LoadFromGraphicRect(graphic, 0, 0, {0, 0, graphic.Width(), graphic.Height()});
}

void TDirectDrawSurface::LoadFromGraphicRect(const TDIB& graphic, int32_t width, int32_t height,
                                             const TRect& srcRect) {
    if (width == 0) width = srcRect.Right - srcRect.Left;
    if (height == 0) height = srcRect.Bottom - srcRect.Top;
    SetSize(width, height);
    if (!surface_) return;
    TDIB picture(graphic);  // shares the image; PixelColor reads through it
    dd::DDSURFACEDESC d;
    if (!Lock(nullptr, d)) return;
    const int32_t sw = srcRect.Right - srcRect.Left, sh = srcRect.Bottom - srcRect.Top;
    const int32_t bytes = int32_t(d.ddpfPixelFormat.dwRGBBitCount / 8);
    const dd::DirectDrawPalette* palette = surface_->Palette().get();
    for (int32_t y = 0; y < height; ++y) {
        uint8_t* row = static_cast<uint8_t*>(d.lpSurface) + ptrdiff_t(y) * d.lPitch;
        const int32_t sy = srcRect.Top + int32_t(int64_t(y) * sh / height);
        for (int32_t x = 0; x < width; ++x) {
            const int32_t sx = srcRect.Left + int32_t(int64_t(x) * sw / width);
            uint32_t v = 0;
            if (sx >= 0 && sy >= 0 && sx < picture.Width() && sy < picture.Height()) {
                const uint32_t c = picture.PixelColor(sx, sy);  // $RRGGBB
                v = DeviceColor(d.ddpfPixelFormat, palette, uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c));
            }
            std::memcpy(row + ptrdiff_t(x) * bytes, &v, size_t(bytes));
        }
    }
    Unlock();
}

void TDirectDrawSurface::Assign(TDirectDrawSurface& source) {
    if (&source == this) return;
    if (!source.surface_) {
        ReleaseSurface();
        return;
    }
    SystemMemory = source.SystemMemory;
    SetSize(source.Width(), source.Height());
    Blt(nullptr, nullptr, dd::DDBLT_WAIT, nullptr, &source);
    if (source.desc_.dwFlags & dd::DDSD_CKSRCBLT) SetColorKey(dd::DDCKEY_SRCBLT, source.desc_.ddckCKSrcBlt);
}

void TDirectDrawSurface::AssignTo(TDIB& dest) {
    dest.SetSize(Width(), Height(), 24);
    dd::DDSURFACEDESC d;
    // One reading lock for the whole copy.
    if (!LockWith(nullptr, d, dd::DDLOCK_WAIT | dd::DDLOCK_READONLY)) return;
    const dd::DDPIXELFORMAT f = d.ddpfPixelFormat;
    const dd::DirectDrawPalette* palette = surface_->Palette().get();
    for (int32_t y = 0; y < Height(); ++y) {
        const uint8_t* row = static_cast<const uint8_t*>(d.lpSurface) + ptrdiff_t(y) * d.lPitch;
        for (int32_t x = 0; x < Width(); ++x) {
            const uint32_t v = ReadLockedPixel(d, row, x);
            uint8_t r, g, b;
            if (f.dwFlags & dd::DDPF_PALETTEINDEXEDANY) {
                const dd::PALETTEENTRY e = palette ? palette->Entries()[v & 255] : dd::PALETTEENTRY{};
                r = e.peRed, g = e.peGreen, b = e.peBlue;
            } else {
                r = ChannelValue(f.dwRBitMask, v), g = ChannelValue(f.dwGBitMask, v), b = ChannelValue(f.dwBBitMask, v);
            }
            dest.SetPixel(x, y, uint32_t(b) << 16 | uint32_t(g) << 8 | r);  // a 24-bit value is $BBGGRR
        }
    }
    Unlock();
}

}  // namespace media
