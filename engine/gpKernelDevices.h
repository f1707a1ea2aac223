// What the kernel needs of the media layer's display, input and sound objects. The shell
// hands the kernel its real devices through these interfaces; tests give headless ones.
#pragma once

#include <cstdint>

namespace engine {

class TGPStructure;

class TKernelDisplay {
public:
    virtual ~TKernelDisplay() = default;
    virtual void Flip() = 0;
    virtual int32_t SurfaceWidth() const = 0;
    virtual int32_t SurfaceHeight() const = 0;
    virtual void SetEnabled(bool) {}
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
};

// The sound register: sounds by number, or of an object's current slide, for a class.
class TKernelSoundRegister {
public:
    virtual ~TKernelSoundRegister() = default;
    virtual TKernelSound* SoundOfNumber(int32_t number, int32_t idClass) = 0;
    virtual TKernelSound* SoundOfSlide(TGPStructure* source, int32_t idClass) = 0;
    virtual void ClearLoaded() = 0;
};

}  // namespace engine
