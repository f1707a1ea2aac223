// The engine's own mouse cursor: a sprite drawn on top of everything at the kernel's mouse
// position, its look a cursor class (a TOneCursor description) chosen by number. A cursor
// can time out and fall back to another class by itself (a short animation, then the
// normal pointer). The mouse also carries the hover and button state the widgets read.
#pragma once

#include "engine/gpSprite.h"

#include <memory>

namespace media {
class TPictureCollectionItem;
}

namespace engine {

class TDXRegisterCursor;
class TOneCursor;

// The hidden state of the cursor, a bit of Kind.
inline constexpr int32_t MouseHidden = 0x80000;

class TGPMouse : public TGPSprite {
    RTL_CLASS(TGPMouse, TGPSprite)
public:
    TGPMouse();
    ~TGPMouse() override;

    // Owner is the kernel; ID the cursor class.
    void Create(TObject* kernel, int32_t id) override;
    // The current class restarts the cursor's life; another becomes current.
    void SetIDClass(int32_t id) override;
    void Show(TObject* caller) override;
    void Hide() override;
    // At the kernel's mouse position less the hot spot; not while hidden.
    void Draw() override;
    void LoadPictures() override {}
    using TGPSprite::SetSlide;
    virtual void SetSlide(TOneCursor* cursor);

    // The pattern to draw; advances the animation and falls back when its life is spent.
    int32_t NextFrame();
    bool Hidden() const { return (Kind & MouseHidden) != 0; }
    TOneCursor* Cursor() const { return cursor_; }
    media::TPictureCollectionItem* Picture();

    // The sprite the cursor refers to (SetMouseCursor); nil once it went back to a pool.
    TGPStructure* CursorSprite() const;
    void SetCursorSprite(TGPStructure* sprite);

    std::unique_ptr<TDXRegisterCursor> CursorRegister;
    uint8_t LifeCount = 0;
    TGPStructure* Hovered = nullptr;  // kept by the kernel's hover logic; not owned
    bool Pressed = false;
    bool HoverTracking = true;

private:
    TOneCursor* cursor_ = nullptr;
    uint32_t cursorSpriteHandle_ = 0;  // 0: none
    uint16_t cursorSpriteGeneration_ = 0;
};

// Keeps the system cursor's display counter on one side of zero: shown (0 or more) or
// hidden (below 0). The last known counter is 0 when the program starts.
void ShowSystemCursor(bool show);

}  // namespace engine
