#include "media/DXDrawsCanvas.h"

#include "media/DXDraws.h"

namespace media {

bool TDirectDrawSurfaceCanvas::Acquire(platform::text::Target& target) {
    if (!locked_) {
        if (!surface_.Lock(nullptr, desc_)) return false;
        locked_ = true;
    }
    const auto& pf = desc_.ddpfPixelFormat;
    platform::text::PixelFormat format;
    if (!TextPixelFormat(int(pf.dwRGBBitCount), pf.dwRBitMask, pf.dwGBitMask, pf.dwBBitMask, format)) return false;
    target.Bits = desc_.lpSurface;
    target.Pitch = desc_.lPitch;
    target.Width = int32_t(desc_.dwWidth);
    target.Height = int32_t(desc_.dwHeight);
    target.Format = format;
    return true;
}

void TDirectDrawSurfaceCanvas::Unacquire() {
    if (!locked_) return;
    locked_ = false;
    surface_.Unlock();
}

}  // namespace media
