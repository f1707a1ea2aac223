// The display component: owns the DirectDraw device, the display mode, the primary and
// back surfaces, clipper and palette; shows the back surface once per tick (Flip) and
// tells its listeners when surfaces come and go. Two drivers build the surface set: a
// primary plus an off-screen back surface shown by a blit, or a full-screen flip chain.
// The 3-D device path is not built: the game never asks for it.
#pragma once

#include <array>
#include <functional>
#include <memory>
#include <vector>

#include "media/DXClassForm.h"
#include "media/DXDraws.h"

namespace media {

RTL_EXCEPTION(EDXDrawError, EDirectDrawError);

enum TDXDrawOption : uint16_t {
    doFullScreen = 1 << 0,
    doNoWindowChange = 1 << 1,
    doAllowReboot = 1 << 2,
    doWaitVBlank = 1 << 3,
    doAllowPalette256 = 1 << 4,
    doSystemMemory = 1 << 5,
    doStretch = 1 << 6,
    doCenter = 1 << 7,
    doFlip = 1 << 8,
    do3D = 1 << 9,
    doDirectX7Mode = 1 << 10,
    doRetainedMode = 1 << 11,
    doHardware = 1 << 12,
    doSelectDriver = 1 << 13,
    doZBuffer = 1 << 14,
};
using TDXDrawOptions = uint16_t;

enum TDXDrawNotifyType : int {
    dxntDestroying = 0,
    dxntInitializing = 1,
    dxntInitialize = 2,
    dxntInitializeSurface = 3,
    dxntFinalize = 4,
    dxntFinalizeSurface = 5,
    dxntRestore = 6,
    dxntSetSurfaceSize = 7,
};

class TCustomDXDraw;
using TDXDrawEvent = std::function<void(TCustomDXDraw& sender)>;

// A listener is what the class library calls a method pointer: the code to call and the object
// it is called for. Two listeners are one when both halves are equal, so one object may listen
// through two callbacks and leave through either.
using TDXDrawNotifyProc = void (*)(void* object, TCustomDXDraw& sender, TDXDrawNotifyType type);
struct TDXDrawNotifyEvent {
    TDXDrawNotifyProc Callback = nullptr;
    void* Object = nullptr;
    void operator()(TCustomDXDraw& sender, TDXDrawNotifyType type) const { Callback(Object, sender, type); }
    bool operator==(const TDXDrawNotifyEvent&) const = default;
};

// The listener that calls Method on object.
template <auto Method, class T>
TDXDrawNotifyEvent NotifyMethod(T* object) {
    return {[](void* self, TCustomDXDraw& sender, TDXDrawNotifyType type) {
                (static_cast<T*>(self)->*Method)(sender, type);
            },
            object};
}

struct TDXDrawDisplayMode {
    dd::DDSURFACEDESC SurfaceDesc;
    int32_t Width() const { return int32_t(SurfaceDesc.dwWidth); }
    int32_t Height() const { return int32_t(SurfaceDesc.dwHeight); }
    int32_t BitCount() const { return int32_t(SurfaceDesc.ddpfPixelFormat.dwRGBBitCount); }
};

class TDXDrawDisplay {
public:
    explicit TDXDrawDisplay(TCustomDXDraw& owner) : owner_(owner) {}
    int32_t Width() const { return width_; }
    int32_t Height() const { return height_; }
    int32_t BitCount() const { return bitCount_; }
    void SetWidth(int32_t v) { width_ = std::max(v, 0); }
    void SetHeight(int32_t v) { height_ = std::max(v, 0); }
    void SetBitCount(int32_t v);  // 8, 16, 24 or 32
    bool FixedBitCount = true;
    bool FixedRatio = true;
    bool FixedSize = false;

    int Count();
    const TDXDrawDisplayMode& Modes(int index);
    int IndexOf(int32_t width, int32_t height, int32_t bitCount);
    void ClearModes() { modes_.clear(), enumerated_ = false; }
    // Sets the best mode for the request on the component's device; false when none fits.
    bool DynSetDisplayMode(int32_t width, int32_t height, int32_t bitCount);
    void Assign(const TDXDrawDisplay& source);

private:
    void Enumerate();
    TCustomDXDraw& owner_;
    int32_t width_ = 640, height_ = 480, bitCount_ = 8;
    std::vector<TDXDrawDisplayMode> modes_;
    bool enumerated_ = false;
};

class TDXDrawDriver {
public:
    explicit TDXDrawDriver(TCustomDXDraw& owner);
    virtual ~TDXDrawDriver();
    virtual void Finalize();
    virtual void Flip() = 0;
    virtual void InitializeSurfaces() = 0;
    virtual bool SetSize(int32_t width, int32_t height);
    bool Restore();

protected:
    TCustomDXDraw& dxdraw_;
};

class TDXDrawDriverBlt final : public TDXDrawDriver {
public:
    using TDXDrawDriver::TDXDrawDriver;
    void Flip() override;
    void InitializeSurfaces() override;
    bool SetSize(int32_t width, int32_t height) override;

private:
    void InitializeBackSurface();
};

class TDXDrawDriverFlip final : public TDXDrawDriver {
public:
    using TDXDrawDriver::TDXDrawDriver;
    void Flip() override;
    void InitializeSurfaces() override;
};

class TCustomDXDraw {
public:
    explicit TCustomDXDraw(platform::display::Presenter& presenter,
                           dd::DeviceConfig config = dd::DefaultDeviceConfig());
    virtual ~TCustomDXDraw();
    TCustomDXDraw(const TCustomDXDraw&) = delete;
    TCustomDXDraw& operator=(const TCustomDXDraw&) = delete;

    // Listeners are told of every change; a late one is brought up to the present state.
    // Adding a listener that is already there moves it to the end (it hears the removal first).
    void AddNotifyListener(const TDXDrawNotifyEvent& listener);
    void RemoveNotifyListener(const TDXDrawNotifyEvent& listener);
    void NotifyListeners(TDXDrawNotifyType type);

    void Loaded();
    void SetParent(platform::display::Form* form);
    platform::display::Form* Form() const { return form_; }
    void Initialize();
    void Finalize();
    void Flip();
    bool CanDraw();
    void Restore();
    void UpdatePalette();
    void SetSize(int32_t width, int32_t height);
    void SetBounds(int32_t left, int32_t top, int32_t width, int32_t height);
    void Paint();
    void PaletteChanged();  // the palette-change notification

    bool Initialized() const { return initialized_; }
    bool AutoInitialize = true;
    bool AutoSize() const { return autoSize_; }
    void SetAutoSize(bool value);
    TDXDrawOptions Options() const { return options_; }
    void SetOptions(TDXDrawOptions value);
    TDXDrawOptions NowOptions() const { return nowOptions_; }
    TDXDrawDisplay& Display() { return display_; }
    void SetDisplay(const TDXDrawDisplay& value) { display_.Assign(value); }
    int32_t SurfaceWidth() const;
    int32_t SurfaceHeight() const;
    void SetSurfaceWidth(int32_t value) { SetSize(value, SurfaceHeight()); }
    void SetSurfaceHeight(int32_t value) { SetSize(SurfaceWidth(), value); }

    TDirectDraw* DDraw() const { return ddraw_.get(); }
    TDirectDrawSurface* Primary() const { return primary_.get(); }
    TDirectDrawSurface* Surface() const { return surface_.get(); }
    TDirectDrawClipper* Clipper() const { return clipper_.get(); }
    TDirectDrawPalette* Palette() const { return palette_.get(); }
    platform::display::Presenter& Presenter() { return presenter_; }
    const dd::DeviceConfig& DeviceConfig() const { return config_; }
    std::array<TRGBQuad, 256> ColorTable{};
    std::array<TRGBQuad, 256> DefColorTable{};

    // The control's place on its form and its size.
    int32_t Left = 0, Top = 0, Width = 100, Height = 100;

    TDXDrawEvent OnInitializing, OnInitialize, OnInitializeSurface, OnFinalize, OnFinalizeSurface, OnRestoreSurface;

protected:
    virtual void DoFinalize();
    virtual void DoFinalizeSurface();
    virtual void DoInitialize();
    virtual void DoInitializeSurface();
    virtual void DoInitializing();
    virtual void DoRestoreSurface();

private:
    friend class TDXDrawDriver;
    friend class TDXDrawDriverBlt;
    friend class TDXDrawDriverFlip;
    friend class TDXDrawDisplay;
    void SetCooperativeLevel();
    void SetColorTable(const std::array<TRGBQuad, 256>& table);
    void FormMessage(platform::display::Message& m, const platform::display::WindowProc& saved);
    void DeriveNowOptions(TDXDrawOptions value);

    platform::display::Presenter& presenter_;
    dd::DeviceConfig config_;
    TDXDrawDisplay display_;
    TDXDrawOptions options_ = 0, nowOptions_ = 0;
    bool autoSize_ = true;
    std::unique_ptr<TDirectDraw> ddraw_;
    std::unique_ptr<TDXDrawDriver> driver_;
    std::unique_ptr<TDirectDrawSurface> primary_, surface_;
    std::unique_ptr<TDirectDrawClipper> clipper_;
    std::unique_ptr<TDirectDrawPalette> palette_;
    int32_t keptWidth_ = 0, keptHeight_ = 0;
    platform::display::Form* form_ = nullptr;
    std::unique_ptr<TControlSubClass> hook_;
    std::vector<TDXDrawNotifyEvent> listeners_;
    bool initialized_ = false, surfacesInitialized_ = false, calledDoInitialize_ = false, initializing_ = false,
         initializeBegun_ = false, initializeAttempted_ = false;
    int rebuilding_ = 0;
};

class TDXDraw : public TCustomDXDraw {
public:
    using TCustomDXDraw::TCustomDXDraw;
};

// The system palette's 256 entries (20 static colours around a colour cube).
const std::array<TRGBQuad, 256>& SystemPalette();

}  // namespace media
