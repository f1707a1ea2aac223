#include "engine/gpKernelDevices.h"

#include "media/DXDrawsDisplay.h"
#include "media/DXSounds.h"

namespace engine {

void TKernelDXDraw::Flip() { dxdraw_.Flip(); }
int32_t TKernelDXDraw::SurfaceWidth() const { return dxdraw_.SurfaceWidth(); }
int32_t TKernelDXDraw::SurfaceHeight() const { return dxdraw_.SurfaceHeight(); }

TKernelDirectSound::TKernelDirectSound(std::unique_ptr<media::TDirectSound> sound) : sound_(std::move(sound)) {}
TKernelDirectSound::~TKernelDirectSound() = default;
bool TKernelDirectSound::Sound3D() const { return sound_->Use3D(); }
void TKernelDirectSound::SetSound3D(bool on) { sound_->SetUse3D(on); }
void TKernelDirectSound::CommitDeferredSettings() { sound_->CommitDeferredSettings(); }

}  // namespace engine
