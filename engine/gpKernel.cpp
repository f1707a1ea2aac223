#include "engine/gpKernel.h"

#include "engine/gpClasses.h"
#include "engine/gpCode.h"
#include "engine/gpEffects.h"
#include "engine/gpInterface.h"
#include "engine/gpLevel.h"
#include "engine/gpMap.h"
#include "engine/gpMouse.h"
#include "engine/gpNation.h"
#include "engine/gpRegisters.h"
#include "engine/gpResource.h"
#include "media/DXDrawsDisplay.h"
#include "engine/gpWeapon.h"
#include "media/GPTimer.h"
#include "media/gpMidi.h"
#include "rtl/StringList.h"

namespace engine {

RTL_REGISTER_CLASS(TGPKernel);

namespace {
TGPKernel* globalKernel = nullptr;
}

TGPKernel* GlobalKernel() { return globalKernel; }

void TGPKernel::DescribeClass(rtl::ClassBuilder<TGPKernel>& c) {
    c.Event("OnPUSH", &TGPKernel::OnPUSH)
        .Event("OnGPCreateGames", &TGPKernel::OnGPCreateGames)
        .Event("OnDestroyGames", &TGPKernel::OnDestroyGames)
        .Event("OnGPNextLevel", &TGPKernel::OnGPNextLevel)
        .Event("OnGPLastLevel", &TGPKernel::OnGPLastLevel)
        .Event("OnGPNewLife", &TGPKernel::OnGPNewLife)
        .Event("OnGPEndLife", &TGPKernel::OnGPEndLife)
        .Event("OnGPEndLevel", &TGPKernel::OnGPEndLevel)
        .Event("OnGPSortNation", &TGPKernel::OnGPSortNation)
        .Event("OnDestroy", &TGPKernel::OnDestroy)
        .Event("OnDraw", &TGPKernel::OnDraw)
        .Event("OnCheckVelocity", &TGPKernel::OnCheckVelocity)
        .Event("OnConditionEvent", &TGPKernel::OnConditionEvent)
        .Event("OnGPKeyDown", &TGPKernel::OnGPKeyDown);
}

TGPKernel::TGPKernel(TKernelDisplay* display, TKernelInput* input, std::unique_ptr<TKernelSoundDevice> sound) {
    TGPStructure::Create(nullptr, -1);
    Kernel = this;  // the kernel's own structures, and its inherited Clear, reach it
    RunWhenInactive = false;
    DXDraw = display;
    DXInput = input;
    DirectSound = std::move(sound);
    Timer = std::make_unique<media::TGPTimer>();
    Timer->SetThreadPriority(media::tpLower);
    Timer->SetEnabled(false);
    Timer->SetInterval(media::TickLength);
    PanelRegister = std::make_unique<TDXRegisterPanel>();
    EffectsRegister = std::make_unique<TDXRegisterEffects>();
    if (DirectSound && DirectSound->Sound()) SoundRegister = std::make_unique<TDXRegisterSound>(DirectSound->Sound());
    FormsRegister = std::make_unique<TDXRegisterForms>();
    ChildSprites = std::make_unique<TListStructure>();
    CommandLine = std::make_unique<TExecuteLine>();
    Executor = MakeStructure<TGP_CMD0>(this, 0);
    Nations = std::make_unique<TListNation>();
    OrderPool = std::make_unique<TListOrder>();
    InLinePool = std::make_unique<TListInLineCom>();
    AskMoveList = std::make_unique<TListAskMove>();
    FrameSkipCounter = 0;
    FrameSkip = 0;
    globalKernel = this;
    Selected = nullptr;
    SelectionMode = 1;
    Data = std::make_unique<TGPData>();
    SoundState = std::make_unique<TSoundState>();
    SoundState->WaveAvailable = DirectSound != nullptr;
    SoundState->SoundOn = true;
    SoundState->Quality = 16;
    Busy = false;
    Flags = 1u << 1;
    BackColor = 0;
    TotalTime = 0;
    LastClock = 0;
}

TGPKernel::~TGPKernel() {
    if (DXDraw) DXDraw->SetEnabled(false);
    Timer->SetOnTimer(nullptr);
    Timer->SetEnabled(false);
    if (OnDestroy) OnDestroy(this);
    LevelStream.reset();  // it may read through a container that goes with the kernel
    // The shell is taking the game down: objects going back to their pools now are not
    // news to report to it.
    OnPUSH = nullptr;
    Midi.reset();
    CommandLine->DropObjectCommands();
    // The heads-up widgets hand their phantoms back and leave their variables while the
    // kernel still holds both.
    FreePanels();
    Nations->FreeAll();
    TGPStructure::Clear();
    if (Map) {
        Map->Clear();
        Map->Kernel = nullptr;  // a map the kernel does not own forgets it
        Map = nullptr;
    }
    ownedMap_.reset();
    ResetKernelRecord(KernelRecord);
    Data->Clear();
    ClearAnimationRegistries();
    // The sounds before the sound object they play on.
    SoundRegister.reset();
    FormsRegister.reset();
    PanelRegister.reset();
    EffectsRegister.reset();
    // The pools outlive every kernel: what they hold forgets this one, its nations and the
    // descriptions just freed, so no pooled object points at freed memory.
    PhantomPool().Unlink(this);
    ObjectPool().Unlink(this);
    WeaponPool().Unlink(this);
    ScriptsForgetKernel(this);
    if (globalKernel == this) globalKernel = nullptr;
    ReleaseFonts();
    Resource.reset();
    Timer.reset();
    Mouse.reset();
    DirectSound.reset();
}

TGPMap* TGPKernel::AdoptMap(std::unique_ptr<TGPMap> map) {
    ownedMap_ = std::move(map);
    return ownedMap_.get();
}

void TGPKernel::SetMouseKind(int32_t kind) {
    if (Mouse) Mouse->SetIDClass(kind);
}

media::TCustomDXDraw* TGPKernel::Display() const { return DXDraw ? DXDraw->Component() : nullptr; }

media::TDirectDrawSurface* TGPKernel::Surface() const {
    media::TCustomDXDraw* display = Display();
    return display ? display->Surface() : nullptr;
}

void TGPKernel::ValidateContainer(TGPStructure* container) {
    if (container) container->ValidateInsert(this);
}

void TGPKernel::SetMouse(std::unique_ptr<TGPMouse> mouse) { Mouse = std::move(mouse); }

bool TGPKernel::IsActive() const { return RunWhenInactive || platform::window::App().Active(); }

void TGPKernel::Start() {
    for (TGPNation* nation : *Nations) {
        if (nation->Objects.Empty()) continue;
        const int32_t key = NationKeyOfClass(nation->Objects.First()->IDClass);
        if (key >= 0) nation->NationKey = key;
    }
    Nations->SortByKey();
    Timer->SetEnabled(true);
    Timer->SetOnTimer([this](media::TGPTimer&) { Tick(); });
}

int32_t NationKeyOfClass(int32_t id) {
    auto in = [id](int32_t lo, int32_t hi) { return id >= lo && id <= hi; };
    if (in(12, 31) || in(71, 90) || in(118, 119) || in(131, 156)) return 0;
    if (id == 11 || in(42, 61) || in(91, 99) || in(120, 130)) return 1;
    if (id == 3 || in(32, 41) || in(100, 111)) return 2;
    if (in(1, 2)) return 3;
    if (in(62, 69)) return 4;
    return -1;
}

void TGPKernel::SetCondition(TConditionKernel value) {
    Condition = value;
    if (OnConditionEvent) OnConditionEvent(this, value);
}

void TGPKernel::EndGames() {
    Condition = ck_EndGames;
    TNotifyEvent push = std::move(OnPUSH);
    OnPUSH = nullptr;
    try {
        Nations->ClearAll();
    } catch (...) {
        OnPUSH = std::move(push);
        throw;
    }
    OnPUSH = std::move(push);
}

std::bitset<256> TGPKernel::LettersCollected() const {
    if (!KernelRecord.Prizes) return Shared.Letters;
    std::bitset<256> letters;
    GetPresentSet(KernelRecord.Prizes, letters);
    return letters;
}

void TGPKernel::SetLettersCollected(const std::bitset<256>& letters) {
    Shared.Letters = letters;
    TGPField* field = KernelRecord.Prizes;
    if (!field) return;
    std::bitset<256> shown;
    GetPresentSet(field, shown);
    // The variable keeps the order the letters came in: a letter that went clears it.
    if ((shown & ~letters).any()) {
        ClearField(field);
        shown.reset();
    }
    for (size_t i = 0; i < letters.size(); ++i)
        if (letters.test(i) && !shown.test(i)) field->WriteValue(static_cast<int32_t>(i));
}

void TGPKernel::FireCreateGames(const std::string& name) {
    // A game starts: the shell's handler fills the shared values afresh.
    Shared.Reset();
    if (OnGPCreateGames) OnGPCreateGames(this, name);
}
void TGPKernel::FireDestroyGames() {
    if (OnDestroyGames) OnDestroyGames(this);
}
void TGPKernel::FireEndLife() {
    if (OnGPEndLife) OnGPEndLife(this);
}
void TGPKernel::FireNewLife() {
    if (OnGPNewLife) OnGPNewLife(this);
}
void TGPKernel::FireNextLevel() {
    if (OnGPNextLevel) OnGPNextLevel(this);
}
bool TGPKernel::QueueLevelEnd() {
    if (LevelEndQueued) return true;
    LevelEndQueued = CommandLine && CommandLine->AddLevelEnd();
    return LevelEndQueued;
}
void TGPKernel::FireLastLevel() {
    if (Nations->Count() > 0) EndGames();
    if (OnGPLastLevel) OnGPLastLevel(this);
}

TGPNation* TGPKernel::FindNation(int32_t key) const {
    for (TGPNation* nation : *Nations)
        if (nation->NationKey == key) return nation;
    return nullptr;
}

TGPNation* TGPKernel::NationByKey(int32_t key) {
    if (TGPNation* found = FindNation(key)) return found;
    auto nation = std::make_unique<TGPNation>();
    TGPNation* result = nation.get();
    result->NationKey = key;
    Nations->Add(std::move(nation));
    result->Create(this, 1);
    if (OnGPSortNation) OnGPSortNation(Nations.get());
    return result;
}

TGPStructure* TGPKernel::ShowForm(const std::string& name, TObject* caller) {
    auto* form = FindChild(name);
    if (!form) return nullptr;
    if (auto* widget = dynamic_cast<TGPInterface*>(form)) {
        // The cursor moves only from outside the form; its right and bottom edges count as inside.
        const rtl::TRect r = WidgetRect(*widget);
        if (MouseX < r.Left || MouseX > r.Right || MouseY < r.Top || MouseY > r.Bottom) SetCursorToObject(form);
    }
    CommandLine->AddShowMain(form, caller);
    return form;
}

TGPStructure* TGPKernel::ShowFormOverGame(const std::string& name, TObject* caller) {
    auto* form = FindChild(name);
    CommandLine->AddShow(form, caller);
    return form;
}

TGPStructure* TGPKernel::HideForm(const std::string& name) {
    auto* form = FindChild(name);
    CommandLine->AddHide(form);
    return form;
}

}  // namespace engine
