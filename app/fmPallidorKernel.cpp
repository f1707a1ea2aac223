// The kernel's creation on the main form's first show, the hook-up of its published events to
// the form's handlers, the sound register's loader and the music player's notification.
#include "app/fmPallidor.h"
#include "engine/gpClasses.h"
#include "engine/gpLevelInterface.h"
#include "engine/gpMap.h"
#include "engine/gpMouse.h"
#include "engine/gpRegisters.h"
#include "engine/gpResource.h"
#include "media/DXDrawsDisplay.h"
#include "media/DXSounds.h"
#include "media/GPTimer.h"
#include "media/gpMidi.h"
#include "platform/clock/Clock.h"
#include "platform/midi/Sequencer.h"
#include "platform/window/Dispatcher.h"
#include "rtl/Format.h"
#include "rtl/Streams.h"

namespace app {
namespace {

// The input component as the kernel sees it: the kernel asks the shell for input in each
// tick (its OnDXKeyDown event), so it needs only to know that there is one.
class TKernelDXInput final : public engine::TKernelInput {
public:
    explicit TKernelDXInput(media::TDXInput& input) : input_(input) {}
    media::TDXInput& Input() const { return input_; }

private:
    media::TDXInput& input_;
};

// The kernel's events and the form's handlers they are bound to, by name.
constexpr std::pair<const char*, const char*> kKernelEvents[] = {
    {"OnGPCreateGames", "DoGPCreateGames"},   {"OnDestroyGames", "DoDestroyGames"},
    {"OnGPNextLevel", "DoGPNextLevel"},       {"OnGPLastLevel", "DoGPLastLevel"},
    {"OnGPNewLife", "DoGPNewLife"},           {"OnGPEndLife", "DoGPEndLife"},
    {"OnGPSortNation", "DoGPSortNation"},     {"OnGPMove", "DoGPMove"},
    {"OnDestroy", "DoKernelDestroy"},         {"OnCheckVelocity", "DoCheckVelocity"},
    {"OnConditionEvent", "DoConditionEvent"}, {"OnDXKeyDown", "DoKernelInput"},
};

// Where the sound position of an object maps into the listener's space.
constexpr int kSoundOriginX = 400, kSoundOriginY = 300;
constexpr double kSoundScaleX = 0.0075, kSoundScaleY = -0.01;

}  // namespace

void TDlg_Sprallion::CreateGameKernel() {
    if (KernelCreated || !Resource) return;
    KernelCreated = true;
    if (Kernel) {
        ShowError(-1, 0, "");
        return;
    }

    PlayAVI = 0;
    std::unique_ptr<engine::TKernelSoundDevice> soundDevice;
    try {
        auto sound = std::make_unique<media::TDirectSound>(1, 16);
        sound->SetPositionMapping(kSoundOriginX, kSoundOriginY, kSoundScaleX, kSoundScaleY, 0, 0);
        soundDevice = std::make_unique<engine::TKernelDirectSound>(std::move(sound));
    } catch (...) {
        WriteLogException("TDirectSound.Create");  // the game goes on silent
    }
    if (DXDrawGP) KernelDisplay = std::make_unique<engine::TKernelDXDraw>(*DXDrawGP);
    if (Input) KernelInput = std::make_unique<TKernelDXInput>(*Input);
    Kernel = std::make_unique<engine::TGPKernel>(KernelDisplay.get(), KernelInput.get(), std::move(soundDevice));
    // What the weapons swallow reaches the game's log; the link ends with the kernel.
    Kernel->WeaponLog = [this](const std::string& tag, const std::string& text) { WriteLog(tag, text); };
    Sound = Kernel->DirectSound ? Kernel->DirectSound->Sound() : nullptr;
    Kernel->Timer->SetInterval(IntervalTimer);
    engine::TDXRegisterSound* waves = engine::WaveRegister(*Kernel);
    if (waves)
        waves->OnLoadSound = [this](media::TWaveCollectionItem& item, const std::string& key) {
            return LoadSoundFromResource(item, key);
        };

    InterfaceHeader = engine::TInterfaceHeader{};
    InterfaceHeader.Version = engine::InterfaceFileVersion;
    try {
        engine::TGPHashCollection* forms = Resource->GetSection("Forms");
        if (!forms || !forms->Find("GPInterface")) throw rtl::EReadError("GPInterface");
        ReadInterface();
        Kernel->InterfaceResource = Resource.get();
        if (waves) waves->LoadWaveList(Resource.get());
        engine::CreateMap(*Kernel, false, 34, 48, 9, 9, 9, 9, 64);
        HookKernelEvents();
        Kernel->Timer->OnActivate = [this](media::TGPTimer&) { DoAppActivate(this); };
        Kernel->Timer->OnDeactivate = [this](media::TGPTimer&) { DoAppDeactivate(this); };
        CreateMusicPlayer();
        LoadConfig(*Resource);
        configLoaded_ = true;
        Kernel->SetCondition(engine::ck_MainInterface);
        auto mouse = engine::MakeStructure<engine::TGPMouse>(Kernel.get(), 1);
        mouse->Hide();
        Kernel->SetMouse(std::move(mouse));
        if (DXDrawGP) {
            Kernel->DXDrawLeft = DXDrawGP->Left;
            Kernel->DXDrawTop = DXDrawGP->Top;
        }
        if (!Kernel->ShowForm("MainPanel", this)) WriteLog("CreateGameKernel", "no panel \"MainPanel\"");
        Kernel->Data->AddField(nullptr, engine::ftInteger, Kernel->KernelRecord.Difficulty);
        engine::SetFieldValue(Kernel->KernelRecord.Difficulty, int32_t{1});
        ActivateHook();
        Kernel->Start();
        if (AfterTick) {
            // The test script's turn comes after each tick, also after one that failed.
            Kernel->Timer->SetOnTimer([this](media::TGPTimer&) {
                try {
                    Kernel->Tick();
                } catch (...) {
                    AfterTick();
                    throw;
                }
                AfterTick();
            });
        }
        if (DXDrawGP) {
            DXDrawGP->ColorTable = DXDrawGP->DefColorTable;
            DXDrawGP->UpdatePalette();
        }
    } catch (...) {
        WriteLogException("CreateGameKernel");
        ShowError(-1, 2, "BIF");
        return;
    }
    WriteLog("CreateGameKernel", "");
}

// The menus and panels come from the interface description "Forms"/"GPInterface": the
// forms become the kernel's named children, their events bound to this form's handlers.
void TDlg_Sprallion::ReadInterface() {
    engine::TBaseInterfacesStream forms("", Resource.get(), this, Kernel.get(), InterfaceHeader, rtl::fmOpenRead);
}

void TDlg_Sprallion::HookKernelEvents() {
    for (const auto& [event, method] : kKernelEvents)
        if (!rtl::BindEvent(*this, *Kernel, method, event))
            throw rtl::EComponentError(rtl::Format("%s cannot be bound to %s", {method, event}));
}

// The kernel makes the player it plays the forms' and the levels' music with; the form
// keeps a reference to it for the options and the pause.
void TDlg_Sprallion::CreateMusicPlayer() {
    platform::midi::SequencerOptions options;
    options.post = [](std::function<void()> job) { platform::window::MainDispatcher().Post(std::move(job)); };
    options.clock = [] { return platform::clock::TickCount(); };
    Midi = nullptr;
    Kernel->CreateMidi(options, [this](int code) {
        if (Midi) DoMidiNotify(*Midi, code != platform::midi::kNotifySuccessful);
    });
    Midi = Kernel->Midi.get();
    Kernel->SetMidiAutoPlay(true);
    Kernel->SetMidiLoop(true);
    if (Midi)
        Midi->OnOpenFailed = [this](const std::string& file, const std::string& why) {
            WriteLog("TGPMidi.Open", rtl::Format("%S: %S", {file, why}));
        };
}

media::TGPMidi* TDlg_Sprallion::MusicPlayer() const { return Midi; }

bool TDlg_Sprallion::LoadSoundFromResource(media::TWaveCollectionItem& buffer, const std::string& name) {
    try {
        if (!Kernel) return false;
        engine::TGPResource* container = Kernel->Resource ? Kernel->Resource.get() : Kernel->InterfaceResource;
        if (!container) return false;
        std::vector<uint8_t> bytes;
        if (!engine::ReadEntryBytes(*container, "Wav", name, bytes)) return false;
        rtl::MemoryStream stream(std::move(bytes));
        buffer.LoadFromStream(stream);
        if (media::TSoundBufferCollection* sounds = WaveList()) buffer.SetVolume(sounds->GetVolume());
        return true;
    } catch (...) {
        return false;
    }
}

void TDlg_Sprallion::DoMidiNotify(media::TGPMidi& midi, bool flag) {
    if (!flag && Kernel && Kernel->SoundState->MidiAvailable) midi.Update();
}

void TDlg_Sprallion::DoKernelDestroy(TObject*) {}

}  // namespace app
