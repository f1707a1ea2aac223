// What the kernel needs of the media layer's display, input and sound objects. The shell
// hands the kernel its real devices through these interfaces (TKernelDXDraw and
// TKernelDirectSound wrap the media layer's own); tests may give stand-ins.
#pragma once

#include <cstdint>
#include <memory>

namespace media {
class TCustomDXDraw;
class TDirectSound;
}  // namespace media

namespace engine {

class TGPKernel;
class TGPStructure;

class TKernelDisplay {
public:
    virtual ~TKernelDisplay() = default;
    virtual void Flip() = 0;
    virtual int32_t SurfaceWidth() const = 0;
    virtual int32_t SurfaceHeight() const = 0;
    virtual void SetEnabled(bool) {}
    // The display component the image registers bind to and whose back surface the world
    // is drawn on; nil for a display without one (nothing is drawn).
    virtual media::TCustomDXDraw* Component() const { return nullptr; }
};

class TKernelInput {
public:
    virtual ~TKernelInput() = default;
};

// One sound of the sound register.
class TKernelSound {
public:
    virtual ~TKernelSound() = default;
    virtual bool Looped() const = 0;
    virtual void SetLooped(bool value) = 0;  // false stops a looping sound
    virtual bool Playing() const = 0;
    virtual void SetPosition(uint32_t position) = 0;
    virtual void SetPosition3D(double x, double y, double z) = 0;
    virtual void Play() = 0;
};

class TKernelSoundDevice {
public:
    virtual ~TKernelSoundDevice() = default;
    virtual bool Sound3D() const = 0;
    virtual void SetSound3D(bool on) = 0;
    // Commits the pending 3-D listener settings.
    virtual void CommitDeferredSettings() = 0;
    // The sound object the sound register's buffers live on; nil gives the kernel no sound
    // register of its own.
    virtual media::TDirectSound* Sound() const { return nullptr; }
};

// The sound register: sounds by number, or of an object's current slide, for a class.
class TKernelSoundRegister {
public:
    virtual ~TKernelSoundRegister() = default;
    virtual TKernelSound* SoundOfNumber(TGPKernel& kernel, int32_t number, int32_t idClass) = 0;
    virtual TKernelSound* SoundOfSlide(TGPKernel& kernel, TGPStructure* source, int32_t idClass) = 0;
    // Frees the sounds loaded so far (a level reset).
    virtual void ClearLoaded() = 0;
};

// The media layer's display component as the kernel's display.
class TKernelDXDraw final : public TKernelDisplay {
public:
    explicit TKernelDXDraw(media::TCustomDXDraw& dxdraw) : dxdraw_(dxdraw) {}
    void Flip() override;
    int32_t SurfaceWidth() const override;
    int32_t SurfaceHeight() const override;
    media::TCustomDXDraw* Component() const override { return &dxdraw_; }

private:
    media::TCustomDXDraw& dxdraw_;
};

// The media layer's sound object as the kernel's sound device; owns it.
class TKernelDirectSound final : public TKernelSoundDevice {
public:
    explicit TKernelDirectSound(std::unique_ptr<media::TDirectSound> sound);
    ~TKernelDirectSound() override;
    bool Sound3D() const override;
    void SetSound3D(bool on) override;
    void CommitDeferredSettings() override;
    media::TDirectSound* Sound() const override { return sound_.get(); }

private:
    std::unique_ptr<media::TDirectSound> sound_;
};

}  // namespace engine
