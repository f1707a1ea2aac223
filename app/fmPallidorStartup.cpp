// The life of the main form: the start-up in its fixed order with the log lines on the way and
// the conditions that stop it, the first show that creates the kernel, and the shut-down.
//
// A start that stops early leaves a form without a kernel; the shut-down copes with every
// such form. Options and configuration are written back only when this run read them, so a
// second copy of the game, or a start that stopped before reading them, never overwrites what
// the running copy keeps.
#include <unistd.h>

#include <climits>

#include "app/Scrambled.h"
#include "app/SystemCursor.h"
#include "app/fmPallidor.h"
#include "engine/gpClasses.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "media/DXDrawsDisplay.h"
#include "media/GPTimer.h"
#include "media/gpMidi.h"
#include "platform/display/Display.h"
#include "platform/input/Input.h"
#include "platform/window/EventPump.h"
#include "platform/window/Terminate.h"
#include "rtl/Convert.h"
#include "rtl/Format.h"

namespace app {
namespace {

namespace pd = platform::display;

constexpr const char* kContainerName = "Demo2.bif";
constexpr int32_t kHotKeyId = 101;
constexpr uint32_t kHotKeyF10 = 121;
constexpr uint16_t kContainerMode = rtl::fmOpenRead | rtl::fmShareDenyNone;

// The command-line key of the start level, and the default player's name (at most 21
// characters, in the game's code page: "Игрок", the edition's language): both kept
// scrambled in the program.
constexpr auto kStartLevelKey = Scramble("Level");
constexpr auto kDefaultPlayerName = Scramble("\xC8\xE3\xF0\xEE\xEA");

std::string ProgramFile() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    return n > 0 ? std::string(path, static_cast<size_t>(n)) : std::string();
}

}  // namespace

void TDlg_Sprallion::FormCreate(TObject*) {
    // 1-5: the program folder, the session's first line, the cursor, the exception handler.
    ProgramDir = engine::ResourceFolders().Program;
    WriteLog("----------------- BEGIN SESSION: ", rtl::DateTimeToStr(rtl::Now()));
    ShowCursorNested(0);
    LogSize = 0;
    InstallExceptionHandler();
    DateLastUpData = 0;
    ClientHeight = 600;
    ClientWidth = 800;
    HallOfFameShown = false;
    MidiList = std::make_unique<rtl::StringList>();

    // 6: the version block names the product, its maker and the options' key.
    if (engine::ReadFileVersionInfo(ProgramFile(), false, VersionInfo))
        Caption = rtl::Format("%S ver %S", {VersionInfo.ProductName, VersionInfo.ProductVersion});

    // 7: a second copy brings the first to the front and ends. The first finishes what a
    // crash of an earlier run left half done.
    if (!CheckInstance()) return;
    TidyStoredFiles(engine::RealPath(engine::JoinDataPath(engine::ResourceFolders().Resource, kContainerName)));

    // 8-11.
    CreateTrayIcon();
    LoadOptionsProject();
    optionsLoaded_ = true;
    if (!CheckSystemAndLanguage()) return;
    // A signal to end the program stops the start between its longer steps.
    if (platform::window::TerminateRequested()) return;
    CreateInternetObject();

    // 12: the display; nothing can be shown without it.
    if (platform::window::TerminateRequested()) return;
    try {
        OpenDisplay();
    } catch (...) {
        WriteLogException("TDXDraw.Initialize");
        ShowError(-1, 6, "");
        return;
    }

    // 13-14: input is welcome, not required.
    OpenInput();
    WriteLog("SystemTestInfo: ", "");
    if (platform::window::TerminateRequested()) return;

    // 15-23.
    try {
        const std::string value = engine::FindParamValue(kStartLevelKey.Plain()).second;
        if (!value.empty()) StartLevelParam = rtl::StrToInt(value);
    } catch (...) {
    }
    UpdateRun = TUpdateRun{};
    KernelCreated = false;
    // The folder as this system names it, as the key's default value: the value named by a
    // version block's file description, which the game's leaves empty.
    SetProjectDir(VersionInfo.CompanyName, VersionInfo.ProductName, engine::RealPath(ProgramDir), "");
    ApplicationTitle = VersionInfo.ProductName;
    LevelsWithoutLoss = BallMonsterHits = ChargeCount = 0;
    FatalHit = false;
    PlayerRecord.Name = kDefaultPlayerName.Plain();
    InitSaveContainer();
    WriteLog("CreateSaveRes: ", "");
    MonsterHitsByBall = MonsterHitsOther = 0;

    // 24-26: the game data.
    Bif = kContainerName;
    ContainerFile = engine::RealPath(engine::JoinDataPath(engine::ResourceFolders().Resource, kContainerName));
    if (::access(ContainerFile.c_str(), F_OK) != 0) {
        ShowError(-1, 0, kContainerName);
        Bif.clear();
        return;
    }
    try {
        Resource = std::make_unique<engine::TGPResource>(ContainerFile, kContainerMode);
        // Whole: a file cut short still has its header and directory.
        if (!Resource->IsWhole()) throw rtl::EReadError(rtl::Format("%S is damaged or cut short", {ContainerFile}));
    } catch (...) {
        WriteLogException("TGPResource.Create");
        Resource.reset();
        ShowError(-1, 0, kContainerName);
        Bif.clear();
        return;
    }
    WriteLog("TGPResource.Create: ", "");

    // 27: the game's name tables.
    try {
        if (engine::TGPHashCollection* strings = Resource->GetSection("Strings"); strings && strings->Find("PixSetGP")) {
            Resource->Locate("Strings", "PixSetGP");
            engine::LoadPixSetGP("", 30, Resource.get());
        }
    } catch (...) {
        WriteLogException("LoadPixSetGP");
    }

    // 28-29: F10 is the game's hot key; nothing acts on it.
    hotKeyRegistered_ = RegisterHotKey(kHotKeyId, 0, kHotKeyF10);
    WriteLog("RegisterHotKey: ", "");
    started_ = true;

    // The internet object's messages, now that the game data holds their texts and pictures.
    RunStartupInternetMessages();
}

void TDlg_Sprallion::OpenDisplay() {
    pd::SetLogSink([this](const std::string& line) { WriteLog("Display", line); });
    Presenter = pd::CreatePresenter(Caption.empty() ? std::string("Sprallion") : Caption);
    AttachWindow(*Presenter, platform::window::MainPump());
    DXDrawGP = std::make_unique<media::TDXDraw>(*Presenter);
    DXDrawGP->AutoInitialize = false;
    media::TDXDrawOptions options = media::doAllowReboot | media::doCenter | media::doRetainedMode | media::doHardware |
                                    media::doSelectDriver;
    if (FullScreen) options |= media::doFullScreen;
    DXDrawGP->SetOptions(options);
    DXDrawGP->Display().SetWidth(800);
    DXDrawGP->Display().SetHeight(600);
    DXDrawGP->Display().SetBitCount(16);
    DXDrawGP->Display().FixedBitCount = true;
    DXDrawGP->SetParent(this);
    DXDrawGP->SetBounds(0, 0, 800, 600);
    DXDrawGP->Initialize();
}

void TDlg_Sprallion::OpenInput() {
    try {
        platform::input::Device* device = InputSource;
        if (!device) {
            OwnedInputSource = platform::input::OpenDevice();
            device = OwnedInputSource.get();
        }
        Input = std::make_unique<media::TDXInput>(device);
        Input->Initialize();
    } catch (...) {
        Input.reset();
        WriteLogException("TDXInput.Create");
    }
}

void TDlg_Sprallion::FormShow(TObject*) { CreateGameKernel(); }

void TDlg_Sprallion::FormActivate(TObject*) { ShowCursorNested(0); }

void TDlg_Sprallion::DXDrawGPMouseMove(TObject*, uint32_t, int32_t, int32_t) {}

void TDlg_Sprallion::DXDrawGPInitialize(TObject*) {}

void TDlg_Sprallion::ShutdownStep(const char* tag, const std::function<void()>& step) {
    try {
        step();
    } catch (...) {
        WriteLogException(tag);
    }
}

void TDlg_Sprallion::FormDestroy(TObject*) {
    ShutdownStep("PauseHook", [this] {
        PauseHook();
        DeactivateHook();
    });
    ShutdownStep("Finalize", [this] { ReleaseInternetObject(); });
    // The timer stops before the configuration's save closes the game data the kernel reads.
    ShutdownStep("Kernel.Timer", [this] {
        if (Kernel) {
            if (Kernel->Timer) Kernel->Timer->SetEnabled(false);
            Kernel->InterfaceResource = nullptr;
        }
    });
    ShutdownStep("SaveConfig", [this] {
        if (configLoaded_) SaveConfig();
    });
    ShutdownStep("SaveOptionsProject", [this] {
        if (optionsLoaded_) SaveOptionsProject();
    });
    ShutdownStep("Kernel.Free", [this] {
        // The player's notifications name the kernel's queue: the kernel goes first.
        Kernel.reset();
        Sound = nullptr;
        Midi = nullptr;
        MidiList.reset();
    });
    ShutdownStep("UnregisterHotKey", [this] {
        if (hotKeyRegistered_) UnregisterHotKey(kHotKeyId);
        hotKeyRegistered_ = false;
    });
    ShutdownStep("RunUpdateFiles", [this] {
        if (UpdateRun.RunAtExit == 1) RunUpdateFiles(UpdateRun.UpdateDir, UpdateRun.UpdateFiles);
    });
    ShutdownStep("TrayIcon.Free", [this] { TrayIcon.reset(); });
    WriteLog("----------------- END SESSION: ", rtl::DateTimeToStr(rtl::Now()));
}

void TDlg_Sprallion::DefaultHandler(pd::Message& message) {
    switch (message.Msg) {
        case pd::WM_ACTIVATE:
            if (message.WParam != pd::WA_INACTIVE) FormActivate(this);
            break;
        case pd::WM_WINDOWPOSCHANGED:
            if (message.LParam & pd::SWP_SHOWWINDOW) FormShow(this);
            break;
        case pd::WM_KEYDOWN: {
            uint16_t key = static_cast<uint16_t>(message.WParam);
            FormKeyDown(this, key, KeyModifiers());
            break;
        }
        case pd::WM_LBUTTONDOWN:
        case pd::WM_RBUTTONDOWN:
            DXDrawGPMouseDown(this, message.Msg == pd::WM_LBUTTONDOWN ? 0 : 1, KeyModifiers(), pd::PointX(message.LParam),
                              pd::PointY(message.LParam));
            break;
        case pd::WM_LBUTTONUP:
        case pd::WM_RBUTTONUP:
            FormMouseUp(this, message.Msg == pd::WM_LBUTTONUP ? 0 : 1, KeyModifiers(), pd::PointX(message.LParam),
                        pd::PointY(message.LParam));
            break;
        case pd::WM_MOUSEMOVE:
            DXDrawGPMouseMove(this, KeyModifiers(), pd::PointX(message.LParam), pd::PointY(message.LParam));
            break;
        case pd::WM_POWERBROADCAST: OnPOWERBROADCAST(message); break;
        default: break;
    }
    media::TDXForm::DefaultHandler(message);
    // The main form closed: the application ends.
    if (message.Msg == pd::WM_DESTROY) platform::window::RequestTerminate();
}

}  // namespace app
