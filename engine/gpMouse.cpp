#include "engine/gpMouse.h"

#include "engine/gpClasses.h"
#include "engine/gpEffects.h"
#include "engine/gpKernel.h"
#include "engine/gpRegisters.h"
#include "engine/gpUtils.h"
#include "platform/display/Display.h"

namespace engine {

RTL_REGISTER_CLASS(TGPMouse);

namespace {
TOneCursor* CursorClass(const TGPKernel* kernel, int32_t id) {
    return kernel ? ListAnimateCursor().FindOrLoad(kernel->Resources(), id) : nullptr;
}
}  // namespace

TGPMouse::TGPMouse() = default;
TGPMouse::~TGPMouse() = default;

void TGPMouse::Create(TObject* kernel, int32_t id) {
    TGPSprite::Create(kernel, id);
    CursorRegister = std::make_unique<TDXRegisterCursor>();
    SetSlide(CursorClass(Kernel, id));
    LifeCount = 0;
}

void TGPMouse::SetIDClass(int32_t id) {
    if (id == IDClass) {
        LifeCount = 0;
        return;
    }
    IDClass = id;
    Animation = nullptr;
    SetSlide(CursorClass(Kernel, id));
}

void TGPMouse::SetSlide(TOneCursor* cursor) {
    if (!cursor || cursor == cursor_) return;
    cursor_ = cursor;
    StartDescription(*this, cursor->HTicksPerChange, cursor->PatternWidth, cursor->PatternHeight);
    LifeCount = 0;
    Frame = 0;
}

void TGPMouse::Show(TObject*) {
    SetKind(-MouseHidden);
    Pressed = false;
}

void TGPMouse::Hide() {
    SetKind(MouseHidden);
    Pressed = false;
}

media::TPictureCollectionItem* TGPMouse::Picture() {
    if (!cursor_ || !Kernel || !CursorRegister) return nullptr;
    return LoadCursorPicture(*CursorRegister, *Kernel, *cursor_, Kernel->Display());
}

void TGPMouse::Draw() {
    if (Hidden() || !Kernel) return;
    media::TPictureCollectionItem* picture = Picture();
    media::TDirectDrawSurface* surface = Kernel->Surface();
    if (!picture || !surface) return;
    const int32_t x = Kernel->MouseX - cursor_->OffsetX, y = Kernel->MouseY - cursor_->OffsetY;
    picture->Draw(*surface, x, y, NextFrame());
}

int32_t TGPMouse::NextFrame() {
    if (!cursor_) return Frame;
    if (!StepFrameCounter(FrameCounter, RollTick)) return Frame;
    if (cursor_->TimeLifes != 0) {
        if (LifeCount < cursor_->TimeLifes)
            ++LifeCount;
        else
            SetIDClass(cursor_->RetIDName);  // its description becomes current at frame 0
    }
    Frame = Frame + 1 < cursor_->LinesWidth ? Frame + 1 : 0;
    return Frame;
}

TGPStructure* TGPMouse::CursorSprite() const {
    // Through the handle table: the sprite may have been freed (a heads-up panel at a level
    // reset), and then it must not be read.
    return cursorSpriteHandle_ ? TGPStructure::FromHandle(cursorSpriteHandle_, cursorSpriteGeneration_) : nullptr;
}

void TGPMouse::SetCursorSprite(TGPStructure* sprite) {
    cursorSpriteHandle_ = sprite ? sprite->Handle() : 0;
    cursorSpriteGeneration_ = sprite ? sprite->Generation() : 0;
}

void SetMouseCursor(int32_t kind, TGPStructure* sprite) {
    TGPKernel* kernel = sprite && sprite->Kernel ? sprite->Kernel : GlobalKernel();
    if (!kernel || !kernel->Mouse) return;
    kernel->SetMouseKind(kind);
    kernel->Mouse->SetCursorSprite(sprite);
}

namespace {
int32_t lastCursorCounter = 0;
// Steps of the counter one call may take; a backend whose counter does not move stops it.
constexpr int kMaxCursorSteps = 256;
}  // namespace

void ShowSystemCursor(bool show) {
    for (int step = 0; step < kMaxCursorSteps; ++step) {
        if (show ? lastCursorCounter >= 0 : lastCursorCounter < 0) return;
        const int32_t counter = platform::display::ShowCursor(show);
        const bool moved = counter != lastCursorCounter;
        lastCursorCounter = counter;
        if (!moved) return;
    }
}

}  // namespace engine
