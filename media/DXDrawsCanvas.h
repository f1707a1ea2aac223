// The canvas of a DirectDraw surface: text and simple drawing on its pixels. The surface is
// locked whole when the canvas first needs it (the system's GetDC) and unlocked by Release
// (ReleaseDC), which callers call after each use; blits to the surface fail while it is held.
#pragma once

#include "media/DIBCanvas.h"
#include "platform/ddraw/SurfaceDesc.h"

namespace media {

class TDirectDrawSurface;

class TDirectDrawSurfaceCanvas final : public TCanvas {
public:
    explicit TDirectDrawSurfaceCanvas(TDirectDrawSurface& surface) : surface_(surface) {}
    ~TDirectDrawSurfaceCanvas() override { Release(); }

protected:
    bool Acquire(platform::text::Target& target) override;
    void Unacquire() override;

private:
    TDirectDrawSurface& surface_;
    platform::ddraw::DDSURFACEDESC desc_{};
    bool locked_ = false;
};

}  // namespace media
