// The game's internet services: the library's object created by class identifier and
// configured at start-up, the hall-of-fame entry at the end of a game, the update check, and
// the files an accepted update leaves to start at the end.
//
// When the object cannot be created the game runs without these services and starts the
// registration tool, so that the next start finds the library. Every later use checks
// InternetAvailable; a failure while inserting into the hall of fame switches it off.
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <utility>

#include "app/Scrambled.h"
#include "app/fmPallidor.h"
#include "app/fmPuDate.h"
#include "engine/gpKernel.h"
#include "engine/gpPaths.h"
#include "engine/gpResource.h"
#include "media/DXDrawsDisplay.h"
#include "platform/clock/Clock.h"
#include "platform/com/ComObj.h"
#include "platform/display/Display.h"
#include "platform/shell/Shell.h"
#include "platform/shell/Spawn.h"
#include "platform/window/EventPump.h"
#include "platform/window/Terminate.h"
#include "rtl/Format.h"
#include "rtl/Numbers.h"
#include "rtl/Text.h"

namespace app {
namespace {

namespace com = platform::com;

// A failure the library answered with its result code.
using rtl::Exception;
RTL_EXCEPTION(EOleSysError, Exception);

constexpr uint32_t kContextInProcess = com::CLSCTX_INPROC_SERVER | com::CLSCTX_INPROC_HANDLER | com::CLSCTX_LOCAL_SERVER;

// The window messages of the internet services, and the kind of box each shows in.
constexpr int32_t kRegistrationFailed = 14, kUpdatesOffered = 19, kNoUpdates = 25, kNoConnection = 35,
                  kConnectionCheck = 37;
constexpr int32_t kKindQuestion = 7, kKindRegistration = 11;

// The maker's server for this edition (the library puts "http://" in front).
constexpr auto kHost = Scramble("www.quorvex.com/ru");
// The hall of fame's folder below the program folder, and the page's settings, which fit the
// pictures of the game's data (TopList/Ranks, TopList/Medals, TopList/Levels).
constexpr auto kTopListFolder = Scramble("TopList");
constexpr auto kMedalsDir = Scramble("Medals");
constexpr auto kRanksDir = Scramble("Ranks");
constexpr auto kTemplateDir = Scramble("Template");
constexpr auto kLevelDir = Scramble("Levels");
constexpr auto kMaxCount = Scramble("100");
constexpr auto kPageFile = Scramble("TopList.htm");
constexpr auto kImageHeight = Scramble("48");
constexpr auto kLevelWidth = Scramble("48");
constexpr auto kRanksWidth = Scramble("48");
constexpr auto kMedalWidth = Scramble("34");
constexpr auto kPictureExt = Scramble("bmp");
// The document opened when the registration tool cannot start: the game's help page.
constexpr auto kNamedDocument = Scramble("Index.htm");

// A file-system path (UTF-8) as a wide string; bytes that are not UTF-8 are taken as the
// game's code page.
std::u16string PathToWide(std::string_view path) {
    std::u16string out;
    for (size_t i = 0; i < path.size();) {
        const auto c = static_cast<unsigned char>(path[i]);
        const int extra = c < 0x80 ? 0 : (c >> 5) == 6 ? 1 : (c >> 4) == 14 ? 2 : (c >> 3) == 30 ? 3 : -1;
        if (extra < 0 || i + static_cast<size_t>(extra) >= path.size()) return rtl::AnsiToUtf16(path);
        char32_t cp = extra == 0 ? c : c & (0x3F >> extra);
        for (int k = 1; k <= extra; ++k) {
            const auto n = static_cast<unsigned char>(path[i + static_cast<size_t>(k)]);
            if ((n & 0xC0) != 0x80) return rtl::AnsiToUtf16(path);
            cp = cp << 6 | (n & 0x3F);
        }
        i += static_cast<size_t>(extra) + 1;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

void Assign(com::BSTR& target, std::string_view text) { com::AssignBstr(target, rtl::AnsiToUtf16(text)); }
void AssignPath(com::BSTR& target, std::string_view path) { com::AssignBstr(target, PathToWide(path)); }

std::string RealFolder(std::string_view dataFolder, std::string_view name) {
    return engine::RealPath(engine::JoinDataPath(dataFolder, name));
}

// The folder of the running program, where the build puts the library and its tools.
std::string BinaryFolder() {
    char path[PATH_MAX];
    const ssize_t n = ::readlink("/proc/self/exe", path, sizeof path - 1);
    if (n <= 0) return {};
    std::string file(path, static_cast<size_t>(n));
    return file.substr(0, file.rfind('/') + 1);
}

// An update's file to start: a plain name, directly in the update folder, an existing file.
bool IsBareFileName(std::string_view name) {
    return !name.empty() && name != "." && name != ".." && name.find_first_of("/\\") == std::string_view::npos &&
           name.find('\0') == std::string_view::npos;
}

// Throws the library's answer when it is a failure, with its error information.
void Check(com::HRESULT hr, const char* operation) {
    if (com::SUCCEEDED(hr)) return;
    std::string text = rtl::Format("%s failed (%x)", {operation, static_cast<uint32_t>(hr)});
    if (auto info = com::GetErrorInfo()) text += ": " + rtl::Utf16ToAnsi(info->description);
    throw EOleSysError(text);
}

// The library's message pump: the window messages of the game flow on while a request waits.
void PumpGameMessages(void*) { platform::window::MainPump().PumpPending(); }

}  // namespace

void TDlg_Sprallion::CreateInternetObject() {
    rtl::RandSeed = platform::clock::TickCount();
    ScreenshotsEnabled = true;
    InternetAvailable = false;
    WanderTicks = 0;
    bool created = false;
    try {
        if (!comInitialized_) comInitialized_ = com::SUCCEEDED(com::CoInitialize());
        const com::HRESULT hr = com::CoCreateInstance(palvrek::CLSID_InternetGame, nullptr, kContextInProcess,
                                                      palvrek::IID_IInternetGame, InternetGame.out());
        if (com::SUCCEEDED(hr) && InternetGame) {
            com::VARIANT_BOOL ready = 0;
            Check(InternetGame->Initialize(&ready), "Initialize");
            palvrek::TInternetSetup setup;
            try {
                InternetGame->GetSettings(setup);
                InternetAvailable = true;
                Assign(setup.LanguageId, LanguageCode.size() > 3 ? LanguageCode : "0" + LanguageCode);
                Assign(setup.Project, "sprallion");
                Assign(setup.RegistryKey,
                       rtl::Format("\\SOFTWARE\\%S\\%S\\", {VersionInfo.CompanyName, VersionInfo.ProductName}));
                AssignPath(setup.DownloadDir, RealFolder(ProgramDir, engine::sUpDate));
                Assign(setup.Version, CurrentVersion);
                Assign(setup.Host, kHost.Plain());
                InternetGame->SetSettings(setup);
            } catch (...) {
                palvrek::FreeRecord(setup);
                throw;
            }
            palvrek::FreeRecord(setup);

            palvrek::TLocalTopListSetup top;
            AssignPath(top.HTMLDir, RealFolder(ProgramDir, kTopListFolder.Plain()));
            Assign(top.MedalsDir, kMedalsDir.Plain());
            Assign(top.RanksDir, kRanksDir.Plain());
            Assign(top.TemplateDir, kTemplateDir.Plain());
            Assign(top.LevelDir, kLevelDir.Plain());
            Assign(top.MaxCount, kMaxCount.Plain());
            Assign(top.FileName, kPageFile.Plain());
            Assign(top.ImgHeight, kImageHeight.Plain());
            Assign(top.LevelWidth, kLevelWidth.Plain());
            Assign(top.RanksWidth, kRanksWidth.Plain());
            Assign(top.MedalWidth, kMedalWidth.Plain());
            for (com::BSTR* ext : {&top.RanksExp, &top.MedalExp, &top.LevelExp}) Assign(*ext, kPictureExt.Plain());
            try {
                InternetGame->SetLocalTopListSettings(top);
            } catch (...) {
                palvrek::FreeRecord(top);
                throw;
            }
            palvrek::FreeRecord(top);
            InstallMessagePump(true);
            created = true;
            // Its messages come from the game data, which is not open yet: the check runs when
            // the start-up is done.
            startupUpdateCheck_ = CheckInternet == 1 && AutoUpDate == 1 && rtl::Date() > DateLastUpData;
        }
    } catch (...) {
        WriteLogException("CreateInternetObject");
        created = false;
    }
    if (created) return;

    WriteLog("FormCreate", "CoCreateInstance");
    InternetAvailable = false;
    try {
        ReleaseInternetObject();
    } catch (...) {
        WriteLogException("Finalize");
    }
    StartRegistrationTool();
}

void TDlg_Sprallion::StartRegistrationTool() {
    // As an installer would: registered now, the library is found at the next start.
    if (platform::shell::StartHidden(BinaryFolder() + "regsvr", {"-s", "libPalvrek.so"}) > 32) return;
    startupRegistrationFailed_ = true;  // told once the game data holds the message
}

void TDlg_Sprallion::RunStartupInternetMessages() {
    if (std::exchange(startupRegistrationFailed_, false)) {
        ShowWindowMessage(kRegistrationFailed, kKindRegistration, {}, 0);
        OpenNamedDocument();
    }
    if (std::exchange(startupUpdateCheck_, false)) {
        try {
            CheckForUpdate();
        } catch (...) {
            WriteLogException("CheckForUpdate");
        }
    }
}

void TDlg_Sprallion::InstallMessagePump(bool on) {
    auto set = reinterpret_cast<palvrek::PalvrekSetMessagePumpFunction>(
        com::CoGetLoadedExport(palvrek::CLSID_InternetGame, palvrek::kSetMessagePumpExport));
    if (set) set(on ? &PumpGameMessages : nullptr, nullptr);
}

void TDlg_Sprallion::ReleaseInternetObject() {
    std::exception_ptr failure;
    if (InternetGame) {
        InstallMessagePump(false);
        try {
            InternetGame->Finalize();
        } catch (...) {
            failure = std::current_exception();
        }
        InternetGame.reset();
    }
    InternetAvailable = false;
    // The reference is gone: now the runtime may unload the library.
    if (comInitialized_) {
        comInitialized_ = false;
        com::CoUninitialize();
    }
    if (failure) std::rethrow_exception(failure);
}

void TDlg_Sprallion::InsertToList() {
    if (!InternetAvailable || !InternetGame) return;
    palvrek::TPlayer entry;
    try {
        UpdatePlayerRecord();
        TPlayerRecord& record = PlayerRecord;
        if (record.Score < Tuning.MinCountForTopList) {
            palvrek::FreeRecord(entry);
            return;
        }
        auto text = [this](const std::string& key) { return Resource ? Resource->ReadString("Strings", key) : std::string(); };
        Assign(entry.Player, record.Name.substr(0, TPlayerRecord::kTextLetters));
        Assign(entry.Time, record.SubjectTitle.substr(0, TPlayerRecord::kTextLetters));
        Assign(entry.Score, rtl::Format("%D", {record.Score}));
        Assign(entry.Difficulty, text(rtl::Format("Name_Difficulty_%D", {std::clamp(record.Difficulty, 1, 3)})));
        if (record.Rank < TPlayerRecord::kFirstRank || record.Rank > TPlayerRecord::kLastRank) {
            WriteLog("InsertToList", rtl::Format("Rank=%D", {record.Rank}));
            record.Rank = std::clamp(record.Rank, TPlayerRecord::kFirstRank, TPlayerRecord::kLastRank);
        }
        Assign(entry.Rank, text(rtl::Format("Name_Rank_%D", {record.Rank})));
        std::string medals;
        for (const uint8_t m : record.Medals) {
            if (m < TPlayerRecord::kFirstMedal || m > TPlayerRecord::kLastMedal) continue;
            const std::string name = text(rtl::Format("Name_Medals_%D", {m}));
            medals = medals.empty() ? name : rtl::Format("%S,%S", {medals, name});
        }
        Assign(entry.Medals, medals);

        com::VARIANT_BOOL isRecord = 0;
        Check(InternetGame->IsLocalRecord(record.Score, &isRecord), "IsLocalRecord");
        if (isRecord) {
            InternetGame->AddLocalScore(entry);
            if (!HallOfFameShown) {
                try {
                    InternetGame->ShowLocalTopList();
                } catch (...) {
                }
                HallOfFameShown = true;
            }
        }
    } catch (...) {
        WriteLogException("InsertToList");
        InternetAvailable = false;  // no more internet use in this run
    }
    palvrek::FreeRecord(entry);
}

void TDlg_Sprallion::CheckForUpdate() {
    // The dialogs show on the desktop, not over a full-screen game; the game's window comes
    // back after them, unless an accepted update ends the program.
    struct GiveBack {
        platform::display::Presenter* window;
        ~GiveBack() {
            if (window && !platform::window::TerminateRequested()) window->Restore();
        }
    } giveBack{DXDrawGP && (DXDrawGP->Options() & media::doFullScreen) ? Presenter.get() : nullptr};
    if (giveBack.window) giveBack.window->Minimize();
    if (InternetAvailable && !CurrentVersion.empty()) {
        // The box of the connection check asks the library and closes with its answer.
        if (ShowWindowMessage(kConnectionCheck, kKindQuestion, {}, 0) != mrOk) {
            ShowWindowMessage(kNoConnection, kKindQuestion, {}, 0);
            return;
        }
    }
    if (AutoUpDate != 1 || !InternetAvailable || !InternetGame) return;
    int32_t count = 0;
    Check(InternetGame->QueryUpdates(&count), "QueryUpdates");
    if (count < 1) {
        ShowWindowMessage(kNoUpdates, kKindQuestion, {}, 0);
        return;
    }
    const std::string descriptions = ReadUpdateDescriptions();
    const rtl::FormatArg offered[] = {descriptions};
    if (ShowWindowMessage(kUpdatesOffered, kKindQuestion, offered, 1) != mrOk) return;
    if (ShowUpdateDialog(*this, InternetGame.get()) != mrOk) return;
    palvrek::TCurrentDownloadStatus status;
    InternetGame->GetDownloadState(status);
    UpdateRun.RunAtExit = 1;
    UpdateRun.UpdateFiles = status.DoneFiles ? rtl::Utf16ToAnsi(com::BstrToString(status.DoneFiles)) : std::string();
    UpdateRun.UpdateDir = RealFolder(ProgramDir, engine::sUpDate);
    palvrek::FreeRecord(status);
    platform::window::RequestTerminate();  // the downloaded files start at the end
}

void TDlg_Sprallion::UpDataClick(TObject*) {
    // A blocking request pumps the window messages: no tick may run inside it.
    const int32_t autoUpDate = AutoUpDate;
    const bool busy = Kernel ? Kernel->Busy : false;
    if (Kernel) Kernel->Busy = true;
    AutoUpDate = 1;
    try {
        CheckForUpdate();
    } catch (...) {
        WriteLogException("UpDataClick");
    }
    AutoUpDate = autoUpDate;
    if (Kernel) Kernel->Busy = busy;
}

std::string TDlg_Sprallion::ReadUpdateDescriptions() {
    if (!InternetGame) return {};
    palvrek::TUpdateFilter filter;
    filter.HideInstalled = com::VARIANT_TRUE;
    filter.ShowPrice = com::VARIANT_FALSE;
    filter.Free = filter.Shareware = filter.Paid = com::VARIANT_TRUE;
    com::BSTR text = nullptr;
    int32_t count = 0;
    const com::HRESULT hr = InternetGame->GetUpdateDescriptions(&text, filter, &count);
    std::string result = text ? rtl::Utf16ToAnsi(com::BstrToString(text)) : std::string();
    com::FreeBstr(text);
    Check(hr, "GetUpdateDescriptions");
    return result;
}

void TDlg_Sprallion::RunUpdateFiles(const std::string& folder, const std::string& files) {
    rtl::StringList names;
    names.SetText(files);
    for (int i = 0; i < names.Count(); ++i) {
        const std::string& name = names[i];
        if (name.empty()) continue;
        // The server names the files: only plain names of files in the update folder start.
        std::string path = folder;
        if (!path.empty() && path.back() != '/') path += '/';
        path += name;
        struct stat st {};
        if (!IsBareFileName(name) || ::lstat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) {
            WriteLog("RunUpdateFiles", rtl::Format("%S is not a file of the update folder", {name}));
            continue;
        }
        if (!platform::shell::ShellOpen(path)) WriteLog("RunUpdateFiles", rtl::Format("%S cannot be opened", {name}));
    }
}

void TDlg_Sprallion::OpenNamedDocument() {
    platform::shell::ShellOpen(RealFolder(ProgramDir, kNamedDocument.Plain()));
}

}  // namespace app
