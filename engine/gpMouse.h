// The mouse cursor sprite as the kernel sees it.
#pragma once

#include "engine/gpSprite.h"

namespace engine {

class TGPMouse : public TGPSprite {
    RTL_CLASS(TGPMouse, TGPSprite)
public:
    void LoadPictures() override {}

    bool HoverTracking = true;
    bool Pressed = false;
    TGPStructure* Hovered = nullptr;
};

}  // namespace engine
