#include "media/DXDrawsDisplay.h"

#include <algorithm>
#include <climits>

#include "rtl/Format.h"

namespace media {

namespace display = platform::display;

const std::array<TRGBQuad, 256>& SystemPalette() {
    static const std::array<TRGBQuad, 256> table = [] {
        std::array<TRGBQuad, 256> t{};
        const uint32_t statics[20] = {0x000000, 0x800000, 0x008000, 0x808000, 0x000080, 0x800080, 0x008080,
                                      0xC0C0C0, 0xC0DCC0, 0xA6CAF0, 0xFFFBF0, 0xA0A0A4, 0x808080, 0xFF0000,
                                      0x00FF00, 0xFFFF00, 0x0000FF, 0xFF00FF, 0x00FFFF, 0xFFFFFF};
        auto put = [&](int i, uint32_t rgb) { t[size_t(i)] = {uint8_t(rgb), uint8_t(rgb >> 8), uint8_t(rgb >> 16), 0}; };
        for (int i = 0; i < 10; ++i) put(i, statics[i]), put(246 + i, statics[10 + i]);
        for (int i = 10; i < 226; ++i) {
            const int c = i - 10;  // a 6x6x6 cube
            put(i, uint32_t((c / 36) * 51) << 16 | uint32_t((c / 6 % 6) * 51) << 8 | uint32_t(c % 6 * 51));
        }
        for (int i = 226; i < 246; ++i) put(i, uint32_t((i - 226) * 12) * 0x010101u);
        return t;
    }();
    return table;
}

// --- display modes -------------------------------------------------------------------------------

void TDXDrawDisplay::SetBitCount(int32_t v) {
    if (v != 8 && v != 16 && v != 24 && v != 32)
        throw EDirectDrawError("It should be either of 8 or 16 or 24 or 32");
    bitCount_ = v;
}

void TDXDrawDisplay::Assign(const TDXDrawDisplay& s) {
    width_ = s.width_, height_ = s.height_, bitCount_ = s.bitCount_;
    FixedBitCount = s.FixedBitCount, FixedRatio = s.FixedRatio, FixedSize = s.FixedSize;
}

void TDXDrawDisplay::Enumerate() {
    if (enumerated_) return;
    std::vector<dd::DisplayMode> modes;
    if (owner_.ddraw_) {
        modes = owner_.ddraw_->IDraw().Modes();
    } else {
        TDirectDraw temporary(owner_.presenter_, owner_.config_);
        modes = temporary.IDraw().Modes();
    }
    modes_.clear();
    for (const auto& m : modes) {
        TDXDrawDisplayMode mode;
        mode.SurfaceDesc.dwWidth = m.Width;
        mode.SurfaceDesc.dwHeight = m.Height;
        mode.SurfaceDesc.ddpfPixelFormat = dd::PixelFormatFor(m.BitCount);
        modes_.push_back(mode);
    }
    std::sort(modes_.begin(), modes_.end(), [](const TDXDrawDisplayMode& a, const TDXDrawDisplayMode& b) {
        if (a.Width() != b.Width()) return a.Width() < b.Width();
        if (a.Height() != b.Height()) return a.Height() < b.Height();
        return a.BitCount() < b.BitCount();
    });
    enumerated_ = true;
}

int TDXDrawDisplay::Count() {
    Enumerate();
    return int(modes_.size());
}

const TDXDrawDisplayMode& TDXDrawDisplay::Modes(int index) {
    Enumerate();
    if (index < 0 || index >= int(modes_.size()))
        throw rtl::EListError(rtl::Format("List index out of bounds (%d)", {index}));
    return modes_[size_t(index)];
}

int TDXDrawDisplay::IndexOf(int32_t width, int32_t height, int32_t bitCount) {
    Enumerate();
    for (size_t i = 0; i < modes_.size(); ++i)
        if (modes_[i].Width() == width && modes_[i].Height() == height && modes_[i].BitCount() == bitCount)
            return int(i);
    return -1;
}

bool TDXDrawDisplay::DynSetDisplayMode(int32_t width, int32_t height, int32_t bitCount) {
    if (width <= 0 || height <= 0 || (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32))
        return false;
    if (!owner_.ddraw_) return false;
    auto setMode = [&](int32_t w, int32_t h, int32_t b) {
        owner_.ddraw_->SetDXResult(owner_.ddraw_->IDraw().SetDisplayMode(uint32_t(w), uint32_t(h), uint32_t(b)));
        if (owner_.ddraw_->DXResult() != dd::DD_OK) return false;
        width_ = w, height_ = h, bitCount_ = b;
        return true;
    };
    if (setMode(width, height, bitCount)) return true;
    auto search = [&](bool ratio) {
        Enumerate();
        int32_t bestW = INT32_MAX, bestH = INT32_MAX, bestB = 0;
        for (const auto& m : modes_) {
            if (m.Width() > bestW || m.Height() > bestH) continue;
            if (ratio && double(m.Width()) / m.Height() != double(width) / height) continue;
            if (FixedSize ? (m.Width() != width || m.Height() != height) : (m.Width() < width || m.Height() < height))
                continue;
            if (FixedBitCount ? m.BitCount() != bitCount
                              : (m.BitCount() < bitCount && !(bitCount > 8 && m.BitCount() > 8)))
                continue;
            bestW = m.Width(), bestH = m.Height(), bestB = m.BitCount();
        }
        if (bestB == 0) return false;
        if (bestB != bitCount && IndexOf(bestW, bestH, bitCount) >= 0) bestB = bitCount;
        return setMode(bestW, bestH, bestB);
    };
    return (FixedRatio && search(true)) || search(false);
}

// --- drivers ----------------------------------------------------------------------------------------

TDXDrawDriver::TDXDrawDriver(TCustomDXDraw& owner) : dxdraw_(owner) {
    const TDXDrawOptions o = owner.options_;
    owner.ddraw_ = std::make_unique<TDirectDraw>(owner.presenter_, owner.config_, o & doDirectX7Mode);
}

TDXDrawDriver::~TDXDrawDriver() {
    Finalize();
    dxdraw_.ddraw_.reset();
}

void TDXDrawDriver::Finalize() {
    dxdraw_.surface_.reset();
    dxdraw_.primary_.reset();
    dxdraw_.palette_.reset();
    dxdraw_.clipper_.reset();
}

bool TDXDrawDriver::SetSize(int32_t, int32_t) { return false; }

bool TDXDrawDriver::Restore() {
    auto* primary = dxdraw_.primary_.get();
    auto* back = dxdraw_.surface_.get();
    if (!primary || !back) return false;
    const bool ok = primary->Restore() && back->Restore();
    if (ok) primary->Fill(0), back->Fill(0);
    return ok;
}

void TDXDrawDriverBlt::InitializeSurfaces() {
    TCustomDXDraw& d = dxdraw_;
    d.primary_ = std::make_unique<TDirectDrawSurface>(*d.ddraw_);
    dd::DDSURFACEDESC desc;
    desc.dwFlags = dd::DDSD_CAPS;
    desc.ddsCaps = dd::DDSCAPS_PRIMARYSURFACE;
    if (!d.primary_->CreateSurface(desc)) throw EDXDrawError(rtl::Format("%s cannot be made", {"Primary Surface"}));
    d.clipper_ = std::make_unique<TDirectDrawClipper>(*d.ddraw_);
    d.clipper_->SetHandle(d.form_);
    d.primary_->SetClipper(d.clipper_.get());
    d.palette_ = std::make_unique<TDirectDrawPalette>(*d.ddraw_);
    std::array<dd::PALETTEENTRY, 256> entries{};
    for (size_t i = 0; i < 256; ++i)
        entries[i] = {d.ColorTable[i].rgbRed, d.ColorTable[i].rgbGreen, d.ColorTable[i].rgbBlue, 0};
    d.palette_->CreatePalette(dd::DDPCAPS_8BIT | dd::DDPCAPS_INITIALIZE |
                                  ((d.nowOptions_ & doAllowPalette256) ? dd::DDPCAPS_ALLOW256 : 0),
                              entries.data());
    d.primary_->SetPalette(d.palette_.get());
    InitializeBackSurface();
}

void TDXDrawDriverBlt::InitializeBackSurface() {
    TCustomDXDraw& d = dxdraw_;
    d.surface_.reset();
    d.nowOptions_ &= ~doSystemMemory;
    d.surface_ = std::make_unique<TDirectDrawSurface>(*d.ddraw_);
    dd::DDSURFACEDESC desc;
    desc.dwFlags = dd::DDSD_CAPS | dd::DDSD_WIDTH | dd::DDSD_HEIGHT;
    desc.dwWidth = uint32_t(std::max(d.keptWidth_, 1));
    desc.dwHeight = uint32_t(std::max(d.keptHeight_, 1));
    desc.ddsCaps = dd::DDSCAPS_OFFSCREENPLAIN | ((d.options_ & doSystemMemory) ? dd::DDSCAPS_SYSTEMMEMORY : 0);
    if (!d.surface_->CreateSurface(desc)) {
        desc.ddsCaps |= dd::DDSCAPS_SYSTEMMEMORY;
        if (!d.surface_->CreateSurface(desc)) throw EDXDrawError(rtl::Format("%s cannot be made", {"Surface"}));
    }
    if (!(d.surface_->SurfaceDesc().ddsCaps & dd::DDSCAPS_VIDEOMEMORY)) d.nowOptions_ |= doSystemMemory;
    d.surface_->SetPalette(d.palette_.get());
    d.surface_->Fill(0);
}

void TDXDrawDriverBlt::Flip() {
    TCustomDXDraw& d = dxdraw_;
    TRect r;
    const int32_t sw = d.surface_->Width(), sh = d.surface_->Height();
    // The primary surface is the form's client area: the control's origin on it.
    r.Left = d.Left, r.Top = d.Top;
    if (d.nowOptions_ & doStretch) {
        r.Right = r.Left + d.Width, r.Bottom = r.Top + d.Height;
    } else {
        if (d.nowOptions_ & doCenter) r.Left += (d.Width - sw) / 2, r.Top += (d.Height - sh) / 2;
        r.Right = r.Left + sw, r.Bottom = r.Top + sh;
    }
    if (d.nowOptions_ & doWaitVBlank) d.ddraw_->IDraw().WaitForVerticalBlank(dd::DDWAITVB_BLOCKBEGIN);
    d.primary_->Blt(&r, nullptr, dd::DDBLT_WAIT, nullptr, d.surface_.get());
}

bool TDXDrawDriverBlt::SetSize(int32_t width, int32_t height) {
    TCustomDXDraw& d = dxdraw_;
    d.keptWidth_ = std::max(width, 1), d.keptHeight_ = std::max(height, 1);
    ++d.rebuilding_;
    try {
        d.NotifyListeners(dxntFinalizeSurface);
        if (d.surfacesInitialized_) d.surfacesInitialized_ = false, d.DoFinalizeSurface();
        InitializeBackSurface();
        d.NotifyListeners(dxntInitializeSurface);
        d.surfacesInitialized_ = true;
        d.DoInitializeSurface();
    } catch (...) {
        --d.rebuilding_;
        throw;
    }
    --d.rebuilding_;
    return true;
}

void TDXDrawDriverFlip::InitializeSurfaces() {
    TCustomDXDraw& d = dxdraw_;
    d.primary_ = std::make_unique<TDirectDrawSurface>(*d.ddraw_);
    dd::DDSURFACEDESC desc;
    desc.dwFlags = dd::DDSD_CAPS | dd::DDSD_BACKBUFFERCOUNT;
    desc.dwBackBufferCount = 1;
    desc.ddsCaps = dd::DDSCAPS_PRIMARYSURFACE | dd::DDSCAPS_FLIP | dd::DDSCAPS_COMPLEX;
    if (!d.primary_->CreateSurface(desc)) throw EDXDrawError(rtl::Format("%s cannot be made", {"Primary Surface"}));
    std::shared_ptr<dd::DirectDrawSurface> back;
    d.primary_->SetDXResult(d.primary_->IDDSurface()->GetAttachedSurface(dd::DDSCAPS_BACKBUFFER, back));
    d.surface_ = std::make_unique<TDirectDrawSurface>(*d.ddraw_);
    d.surface_->SetIDDSurface(back);
    if (d.surface_->SurfaceDesc().ddsCaps & dd::DDSCAPS_SYSTEMMEMORY)
        d.nowOptions_ |= doSystemMemory;
    else
        d.nowOptions_ &= ~doSystemMemory;
    d.clipper_ = std::make_unique<TDirectDrawClipper>(*d.ddraw_);
    d.palette_ = std::make_unique<TDirectDrawPalette>(*d.ddraw_);
    std::array<dd::PALETTEENTRY, 256> entries{};
    for (size_t i = 0; i < 256; ++i)
        entries[i] = {d.ColorTable[i].rgbRed, d.ColorTable[i].rgbGreen, d.ColorTable[i].rgbBlue, 0};
    d.palette_->CreatePalette(dd::DDPCAPS_8BIT | ((d.nowOptions_ & doAllowPalette256) ? dd::DDPCAPS_ALLOW256 : 0),
                              entries.data());
    d.primary_->SetPalette(d.palette_.get());
    d.surface_->SetPalette(d.palette_.get());
}

void TDXDrawDriverFlip::Flip() {
    TCustomDXDraw& d = dxdraw_;
    if (d.form_ && d.form_->Active())
        d.primary_->SetDXResult(d.primary_->IDDSurface()->Flip(nullptr, dd::DDFLIP_WAIT));
    else
        d.primary_->SetDXResult(0);
}

// --- component -------------------------------------------------------------------------------

TCustomDXDraw::TCustomDXDraw(display::Presenter& presenter, dd::DeviceConfig config)
    : presenter_(presenter), config_(std::move(config)), display_(*this) {
    SetOptions(doAllowReboot | doWaitVBlank | doCenter | doDirectX7Mode | doHardware | doSelectDriver);
    ColorTable = SystemPalette();
    DefColorTable = SystemPalette();
}

TCustomDXDraw::~TCustomDXDraw() {
    Finalize();
    NotifyListeners(dxntDestroying);
    hook_.reset();
}

void TCustomDXDraw::AddNotifyListener(const TDXDrawNotifyEvent& listener) {
    RemoveNotifyListener(listener);
    listeners_.push_back(listener);
    listener(*this, dxntSetSurfaceSize);
    if (initialized_) listener(*this, dxntInitialize);
    if (surfacesInitialized_) listener(*this, dxntInitializeSurface);
    if (initialized_ && !initializing_ && rebuilding_ == 0) listener(*this, dxntRestore);
}

void TCustomDXDraw::RemoveNotifyListener(const TDXDrawNotifyEvent& listener) {
    const auto it = std::find(listeners_.begin(), listeners_.end(), listener);
    if (it == listeners_.end()) return;
    listeners_.erase(it);
    if (surfacesInitialized_) listener(*this, dxntFinalizeSurface);
    if (initialized_) listener(*this, dxntFinalize);
}

void TCustomDXDraw::NotifyListeners(TDXDrawNotifyType type) {
    // A listener may remove itself (or others) while being told: walk a snapshot, and skip
    // the ones that left meanwhile.
    const std::vector<TDXDrawNotifyEvent> snapshot = listeners_;
    for (auto it = snapshot.rbegin(); it != snapshot.rend(); ++it)
        if (std::find(listeners_.begin(), listeners_.end(), *it) != listeners_.end()) (*it)(*this, type);
}

void TCustomDXDraw::DoFinalize() { if (OnFinalize) OnFinalize(*this); }
void TCustomDXDraw::DoFinalizeSurface() { if (OnFinalizeSurface) OnFinalizeSurface(*this); }
void TCustomDXDraw::DoInitialize() { if (OnInitialize) OnInitialize(*this); }
void TCustomDXDraw::DoInitializeSurface() { if (OnInitializeSurface) OnInitializeSurface(*this); }
void TCustomDXDraw::DoInitializing() { if (OnInitializing) OnInitializing(*this); }
void TCustomDXDraw::DoRestoreSurface() { if (OnRestoreSurface) OnRestoreSurface(*this); }

void TCustomDXDraw::Loaded() {
    if (autoSize_) keptWidth_ = Width, keptHeight_ = Height;
    NotifyListeners(dxntSetSurfaceSize);
    if (AutoInitialize && !hook_) Initialize();
}

void TCustomDXDraw::SetParent(display::Form* form) {
    hook_.reset();
    form_ = form;
    if (form_)
        hook_ = std::make_unique<TControlSubClass>(
            *form_, [](void* self, display::Message& m, const display::WindowProc& saved) {
                static_cast<TCustomDXDraw*>(self)->FormMessage(m, saved);
            },
            this);
}

void TCustomDXDraw::FormMessage(display::Message& m, const display::WindowProc& saved) {
    switch (m.Msg) {
        case display::WM_DESTROY:
            Finalize();
            break;
        case display::WM_ACTIVATE:
            if (m.WParam != display::WA_INACTIVE) break;
            [[fallthrough]];
        case display::WM_INITMENU:
            if (initialized_ && (nowOptions_ & doFullScreen) && (nowOptions_ & doFlip))
                ddraw_->IDraw().FlipToGDISurface();
            break;
        case display::WM_WINDOWPOSCHANGED:
            saved(m);
            if ((m.LParam & display::SWP_SHOWWINDOW) && AutoInitialize && !initializeAttempted_) Initialize();
            return;
        default: break;
    }
    saved(m);
}

void TCustomDXDraw::SetCooperativeLevel() {
    uint32_t flags = dd::DDSCL_NORMAL;
    if (nowOptions_ & doFullScreen) {
        flags = dd::DDSCL_FULLSCREEN | dd::DDSCL_EXCLUSIVE | dd::DDSCL_ALLOWMODEX;
        if (nowOptions_ & doNoWindowChange) flags |= dd::DDSCL_NOWINDOWCHANGES;
        if (nowOptions_ & doAllowReboot) flags |= dd::DDSCL_ALLOWREBOOT;
    }
    ddraw_->SetDXResult(ddraw_->IDraw().SetCooperativeLevel(form_, flags));
}

void TCustomDXDraw::Initialize() {
    initializeAttempted_ = true;
    Finalize();
    if (!form_) throw EDXDrawError("Form not found");
    DoInitializing();
    initializing_ = true;
    initializeBegun_ = true;
    try {
        NotifyListeners(dxntInitializing);
        // Windowed, the primary surface is the form's client area.
        if (!(nowOptions_ & doFullScreen) &&
            (presenter_.Width() != form_->ClientWidth || presenter_.Height() != form_->ClientHeight))
            presenter_.SetMode(form_->ClientWidth, form_->ClientHeight, false);
        if (nowOptions_ & doFlip)
            driver_ = std::make_unique<TDXDrawDriverFlip>(*this);
        else
            driver_ = std::make_unique<TDXDrawDriverBlt>(*this);
        SetCooperativeLevel();
        if ((nowOptions_ & doFullScreen) &&
            !display_.DynSetDisplayMode(display_.Width(), display_.Height(), display_.BitCount()))
            throw EDXDrawError(rtl::Format("Display mode cannot be changed (%dx%d %dbit)",
                                           {display_.Width(), display_.Height(), display_.BitCount()}));
        if (autoSize_) keptWidth_ = Width, keptHeight_ = Height;
        driver_->InitializeSurfaces();
        initialized_ = true;
    } catch (...) {
        initializing_ = false;
        Finalize();
        throw;
    }
    ++rebuilding_;
    NotifyListeners(dxntSetSurfaceSize);
    NotifyListeners(dxntInitialize);
    calledDoInitialize_ = true;
    DoInitialize();
    NotifyListeners(dxntInitializeSurface);
    surfacesInitialized_ = true;
    DoInitializeSurface();
    --rebuilding_;
    initializing_ = false;
    Restore();
}

void TCustomDXDraw::Finalize() {
    if (!initializeBegun_) return;
    initializeBegun_ = false;
    keptWidth_ = SurfaceWidth(), keptHeight_ = SurfaceHeight();
    display_.ClearModes();
    initializing_ = true;
    try {
        NotifyListeners(dxntFinalizeSurface);
        if (surfacesInitialized_) surfacesInitialized_ = false, DoFinalizeSurface();
    } catch (...) {
        surfacesInitialized_ = false;
    }
    NotifyListeners(dxntFinalize);
    if (calledDoInitialize_) calledDoInitialize_ = false, DoFinalize();
    initialized_ = false;
    DeriveNowOptions(options_);
    driver_.reset();
    initializing_ = false;
}

void TCustomDXDraw::Flip() {
    if (initialized_ && !initializing_ && CanDraw()) driver_->Flip();
}

bool TCustomDXDraw::CanDraw() {
    if (!initialized_ || initializing_ || !primary_ || !primary_->IDDSurface()) return false;
    auto lost = [&] {
        return primary_->IDDSurface()->IsLost() == dd::DDERR_SURFACELOST ||
               (surface_ && surface_->IDDSurface() && surface_->IDDSurface()->IsLost() == dd::DDERR_SURFACELOST);
    };
    if (!lost()) return true;
    Restore();
    return !lost();
}

void TCustomDXDraw::Restore() {
    if (!initialized_ || initializing_) return;
    initializing_ = true;
    try {
        if (driver_->Restore()) {
            primary_->Fill(0);
            surface_->Fill(0);
            primary_->SetPalette(palette_.get());
            surface_->SetPalette(palette_.get());
            SetColorTable(DefColorTable);
            NotifyListeners(dxntRestore);
            DoRestoreSurface();
            SetColorTable(ColorTable);
        }
    } catch (...) {
        initializing_ = false;
        throw;
    }
    initializing_ = false;
}

void TCustomDXDraw::SetColorTable(const std::array<TRGBQuad, 256>& table) {
    if (!initialized_ || !palette_ || !palette_->HasPalette()) return;
    std::array<dd::PALETTEENTRY, 256> entries{};
    const auto& system = SystemPalette();
    for (size_t i = 0; i < 256; ++i) {
        const bool fixed = !(nowOptions_ & doAllowPalette256) && (i < 10 || i >= 246);
        const TRGBQuad& q = fixed ? system[i] : table[i];
        entries[i] = {q.rgbRed, q.rgbGreen, q.rgbBlue, 0x40};
    }
    palette_->SetEntries(0, 256, entries.data());
}

void TCustomDXDraw::UpdatePalette() {
    if (initialized_ && (nowOptions_ & doWaitVBlank)) ddraw_->IDraw().WaitForVerticalBlank(dd::DDWAITVB_BLOCKBEGIN);
    SetColorTable(ColorTable);
}

int32_t TCustomDXDraw::SurfaceWidth() const { return surface_ ? surface_->Width() : keptWidth_; }
int32_t TCustomDXDraw::SurfaceHeight() const { return surface_ ? surface_->Height() : keptHeight_; }

void TCustomDXDraw::SetSize(int32_t width, int32_t height) {
    if ((width == SurfaceWidth() && height == SurfaceHeight()) || initializing_) return;
    if (initialized_) {
        try {
            if (!driver_->SetSize(width, height)) return;
        } catch (...) {
            Finalize();
            throw;
        }
    } else {
        keptWidth_ = width, keptHeight_ = height;
    }
    NotifyListeners(dxntSetSurfaceSize);
}

void TCustomDXDraw::SetBounds(int32_t left, int32_t top, int32_t width, int32_t height) {
    Left = left, Top = top, Width = width, Height = height;
    if (autoSize_ && !initializing_) SetSize(width, height);
}

void TCustomDXDraw::SetAutoSize(bool value) {
    if (value == autoSize_) return;
    autoSize_ = value;
    if (value) SetSize(Width, Height);
}

void TCustomDXDraw::Paint() {
    const TDXDrawOptions kept = nowOptions_;
    nowOptions_ &= ~doWaitVBlank;
    Flip();
    nowOptions_ = kept;
}

void TCustomDXDraw::PaletteChanged() { Restore(); }

void TCustomDXDraw::DeriveNowOptions(TDXDrawOptions v) {
    if (!(v & doFullScreen)) v &= ~(doNoWindowChange | doAllowReboot | doAllowPalette256 | doFlip);
    if (!(v & do3D)) v &= ~(doDirectX7Mode | doRetainedMode | doHardware | doSelectDriver | doZBuffer);
    if (v & doSystemMemory) v &= ~doFlip;
    if (v & doDirectX7Mode) v &= ~doRetainedMode;
    v &= ~doHardware;
    nowOptions_ = v;
}

void TCustomDXDraw::SetOptions(TDXDrawOptions value) {
    if (!initialized_) {
        options_ = value;
        DeriveNowOptions(value);
        return;
    }
    constexpr TDXDrawOptions live = doWaitVBlank | doStretch | doCenter;
    options_ = value;
    nowOptions_ = TDXDrawOptions((nowOptions_ & ~live) | (value & live));
    if (!(nowOptions_ & do3D)) nowOptions_ &= ~(doRetainedMode | doHardware | doSelectDriver | doZBuffer);
}

}  // namespace media
