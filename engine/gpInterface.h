// The in-game form as the kernel sees it: a named child of the kernel, moved and drawn in
// the interface conditions, shown and hidden through the command line.
#pragma once

#include "engine/gpSprite.h"

namespace engine {

class TGPForm : public TGPSprite {
    RTL_CLASS(TGPForm, TGPSprite)
public:
    void LoadPictures() override {}
    int32_t ShowMain(TObject* caller) override;

    int32_t Left = 0, Top = 0;
    std::string MIDIFile;
};

}  // namespace engine
