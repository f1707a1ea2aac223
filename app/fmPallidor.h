// The main form: the game's only window and the owner of the shell's state. Its methods are
// spread over one file per concern (fmPallidor<Concern>.cpp); every one of them copes with a
// form on which the kernel, the display and the input devices do not exist (yet).
#pragma once

#include <array>
#include <cstdint>
#include <exception>
#include <functional>
#include <memory>
#include <string>
#include <span>
#include <string_view>

#include "app/ConfigRecords.h"
#include "app/SystemInfo.h"
#include "app/cmpTrayIcon.h"
#include "engine/gpUtils.h"
#include "media/DXClassForm.h"
#include "media/DXInput.h"
#include "platform/com/Unknown.h"
#include "rtl/DateTime.h"
#include "rtl/Format.h"

namespace engine {
class TGPKernel;
class TGPResource;
}
namespace media {
class TDXDraw;
class TDirectSound;
class TGPMidi;
class TSoundBufferCollection;
}
namespace platform::display {
class Presenter;
}
namespace palvrek {
class IInternetGame;
}
namespace rtl {
class StringList;
}

namespace app {

class TDlg_GPMessage;

// Downloaded updates that the game starts when it ends.
struct TUpdateRun {
    uint8_t RunAtExit = 0;  // 1: run
    std::string UpdateDir;
    std::string UpdateFiles;  // one file name per line
};

class TDlg_Sprallion : public media::TDXForm {
public:
    TDlg_Sprallion();
    ~TDlg_Sprallion() override;

    // ---- Log and error messages (fmPallidorLog.cpp, fmPallidorErrors.cpp) ----

    // Appends "Class <tag> with message '<text>'.\r\n" to the log.
    void WriteLog(std::string_view tag, std::string_view text);
    // Inside a catch block: the log line "<tag>" / "<class name>:<message>" of the exception
    // being handled.
    void WriteLogException(std::string_view tag);
    // Mode -1: fatal (message box, log, termination); any other mode: log only.
    void ShowError(int mode, uint32_t index, std::string_view argument);
    // The application object's exception handler.
    void OnApplicationException(void* sender, std::exception_ptr error);
    // Makes OnApplicationException the application's handler.
    void InstallExceptionHandler();
    std::string LogFileName() const;

    // ---- Options, language, system check (fmPallidorOptions.cpp) ----

    void LoadOptionsProject();
    void SaveOptionsProject();
    void SetProjectDir(std::string_view companyName, std::string_view productName, std::string_view programDir,
                       std::string_view valueName);
    bool CheckSystemAndLanguage();
    void InitSaveContainer();
    std::string SaveContainerFile() const;
    // HKEY_CURRENT_USER "\SOFTWARE\<CompanyName>\<ProductName>" of the version block.
    std::string OptionsKey() const;

    // ---- Configuration stream (fmPallidorConfig.cpp) ----

    void LoadConfig(engine::TGPResource& resource);
    void SaveConfig();
    void SetDefaultGPCfg();
    static void SetDefaultKeyAssignments(media::TKeyAssignList& table);
    // Called between the writes of SaveConfig with the name of what comes next (tests
    // interrupt a save there).
    std::function<void(std::string_view next)> SaveConfigStepHook;

    // ---- Single instance (fmPallidorInstance.cpp) ----

    // Registers the instance messages and runs the check with this form as the window to
    // restore; false when another copy runs (this one is then terminating).
    bool CheckInstance();

    // ---- Tray icon (fmPallidorTray.cpp) ----

    // Creates the tray icon with the form's icon and TrayIconClick as its click handler.
    void CreateTrayIcon();
    void TrayIconClick(void* sender);

    // ---- Messages, dialogs and help (fmPallidorMessages.cpp) ----

    // Window message N (text and title from "Strings" in the game's language; 15 is the About
    // lines) in the message box of kind Kind with Buttons; answers the button pressed (1 Ok),
    // 0 when the box cannot be shown (logged).
    int32_t ShowWindowMessage(int32_t n, int32_t kind, std::span<const rtl::FormatArg> args, int32_t buttons);
    // The product's name, version and copyright as the About box shows them.
    void FillAboutLines(rtl::StringList& list) const;
    // Asks before closing; Ok closes the main form.
    void Close1Click();
    // The help page, else the help text; each failure logged as error 4.
    void OpenHelpFile();
    // The game's own pointer, hidden while a native dialog is up.
    void HideMouseSprite();
    void ShowMouseSprite();
    // The entry Format(format, [LanguageCode]) of "Strings"; empty when absent.
    std::string LanguageString(std::string_view format) const;
    // The game window's id for the windows that stay above it (0: none).
    uint32_t GameWindowId() const;

    // ---- State shared by the shell ----

    std::string ProgramDir;  // the program folder in the engine's form, ending in '\'
    engine::TFileVersionInfo VersionInfo;
    std::string CurrentVersion;
    std::string ContainerFile;  // a real path
    std::unique_ptr<engine::TGPResource> Resource;
    std::unique_ptr<media::TDXInput> Input;  // nil when its creation failed
    std::unique_ptr<engine::TGPKernel> Kernel;
    media::TDirectSound* Sound = nullptr;  // owned by the kernel once it exists
    media::TGPMidi* Midi = nullptr;        // the kernel's music player, while there is one
    std::unique_ptr<platform::display::Presenter> Presenter;
    std::unique_ptr<media::TDXDraw> DXDrawGP;
    std::unique_ptr<TTrayIcon> TrayIcon;
    // The internet library's object; nil when it could not be made.
    platform::com::ComPtr<palvrek::IInternetGame> InternetGame;
    // The message box, made on first use and kept.
    std::unique_ptr<TDlg_GPMessage> MessageDialog;
    TIcon Icon;
    bool InternetAvailable = false;
    bool KernelCreated = false;
    int64_t LogSize = 0;
    bool ScreenshotsEnabled = true;
    TUpdateRun UpdateRun;
    rtl::TDateTime DateLastUpData = 0;
    bool FullScreen = true;
    bool LoggingEnabled = true;

    // Registry options.
    std::string Bif;
    int32_t CheckInternet = 0, InsertTopList = 0, AutoUpDate = 0, PlayAVI = 1;
    std::string Language;

    // Language and the system check.
    std::string LanguageCode = "419";
    uint8_t TextCharset = 1;
    std::string DDrawVersion, DInputVersion, DSoundVersion;
    TSystemInfo SystemInfo;

    // Input and sound settings of the configuration stream.
    TGPCfg GPCfg;
    media::TKeyAssignList KeyAssigns{};
    TKeyChangeTable KeyChangeMouse{}, KeyChangeJoystick{};
    uint8_t MouseControl = 0, MouseFailed = 0, JoystickFailed = 0;

private:
    bool handlerInstalled_ = false;
    TGPCfg storedGPCfg_;  // GPCfg as read: what a device missing this run keeps

    // The sound list whose common volume is the wave volume: the kernel's sound register.
    media::TSoundBufferCollection* WaveList() const;
    bool MusicAvailable() const;
};

// The message of an error number's format with its argument; "Error" when the format fails.
std::string FormatErrorText(std::string_view format, std::string_view argument);
size_t ErrorTextCount();

// The version text the game's stand-ins of the multimedia libraries report, for helpers that
// look for a library file the system does not have.
std::string StandInVersion(const std::string& fileVersion);

}  // namespace app
