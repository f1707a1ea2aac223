// The installation's options in the registry, the project folder, the start-up system check
// with the choice of language, and the saved-games container.
#include "app/Scrambled.h"
#include "app/fmPallidor.h"
#include "engine/gpDataStream.h"
#include "engine/gpPaths.h"
#include "platform/registry/Registry.h"
#include "platform/sysinfo/SysInfo.h"
#include "platform/window/Application.h"
#include "rtl/Format.h"
#include "rtl/Streams.h"

namespace app {
namespace {

namespace reg = platform::registry;

constexpr auto kSaveContainerName = Scramble("Sprallion.sav");
constexpr const char* kEarlierProjectDirValue = "ProjectDir";

// The edition's language: whatever was chosen, the game runs in it.
constexpr const char* kEditionLanguage = "419";
constexpr const char* kLanguages[] = {"407", "409", "419", "40C"};

bool KnownLanguage(std::string_view code) {
    for (const char* known : kLanguages)
        if (code == known) return true;
    return false;
}

// An integer option: its default when absent; a value of another type raises.
int32_t ReadOption(reg::Registry& registry, std::string_view name, int32_t fallback) {
    return registry.ValueExists(name) ? registry.ReadInteger(name) : fallback;
}

reg::Value StringValue(std::string name, std::string text) {
    return {std::move(name), reg::ValueType::String, std::move(text)};
}

reg::Value DWordValue(std::string name, int32_t v) {
    const auto u = static_cast<uint32_t>(v);
    std::string data{static_cast<char>(u & 0xFF), static_cast<char>((u >> 8) & 0xFF), static_cast<char>((u >> 16) & 0xFF),
                     static_cast<char>(u >> 24)};
    return {std::move(name), reg::ValueType::DWord, std::move(data)};
}

}  // namespace

std::string TDlg_Sprallion::OptionsKey() const {
    return "\\SOFTWARE\\" + VersionInfo.CompanyName + "\\" + VersionInfo.ProductName;
}

void TDlg_Sprallion::LoadOptionsProject() {
    try {
        reg::Registry registry(reg::RootKey::HKEY_CURRENT_USER);
        registry.OpenKey(OptionsKey(), true);
        Bif = registry.ReadString("Bif");
        CheckInternet = ReadOption(registry, "CheckInternet", 0);
        InsertTopList = ReadOption(registry, "InsertTopList", 0);
        AutoUpDate = ReadOption(registry, "AutoUpDate", 0);
        PlayAVI = ReadOption(registry, "PlayAVI", 1);
        Language = registry.ReadString("Language");
        InternetAvailable = false;
        if (CheckInternet == 1 && AutoUpDate == 1) {
            DateLastUpData = 0;
            const std::string stored = registry.ReadString("DateLastUpData");
            rtl::TDateTime date = 0;
            if (!stored.empty() && rtl::TryStrToDate(stored, date)) DateLastUpData = date;
        }
    } catch (...) {
        Bif = "Sprallion2.bif";
        CheckInternet = InsertTopList = AutoUpDate = PlayAVI = 0;
        Language = "419";
        WriteLogException("LoadOptionsProject");
    }
}

void TDlg_Sprallion::SaveOptionsProject() {
    try {
        reg::Registry registry(reg::RootKey::HKEY_CURRENT_USER);
        registry.OpenKey(OptionsKey(), true);
        std::vector<reg::Value> values{StringValue("Bif", Bif),
                                       DWordValue("CheckInternet", CheckInternet),
                                       DWordValue("InsertTopList", InsertTopList),
                                       DWordValue("AutoUpDate", AutoUpDate),
                                       DWordValue("PlayAVI", PlayAVI),
                                       StringValue("Language", LanguageCode)};
        if (CheckInternet == 1 && AutoUpDate == 1) {
            DateLastUpData = rtl::Date();
            values.push_back(StringValue("DateLastUpData", rtl::DateToStr(DateLastUpData)));
        }
        registry.WriteValues(values);  // one change of the stored file
    } catch (...) {
        WriteLogException("SaveOptionsProject");
    }
}

void TDlg_Sprallion::SetProjectDir(std::string_view companyName, std::string_view productName,
                                   std::string_view programDir, std::string_view valueName) {
    try {
        reg::Registry registry(reg::RootKey::HKEY_CURRENT_USER);
        registry.OpenKey(rtl::Format("\\SOFTWARE\\%S\\%S", {companyName, productName}), true);
        registry.ModifyKey([&](reg::Key& key) {
            bool changed = reg::SetValue(key, valueName, reg::ValueType::String, std::string(programDir));
            // Earlier builds kept the folder under a name of their own; nothing reads it.
            if (valueName.empty()) changed = key.values.erase(reg::FoldName(kEarlierProjectDirValue)) > 0 || changed;
            return changed;
        });
        CurrentVersion = registry.ReadString("CurrentVersion");
    } catch (...) {
        WriteLogException("SetProjectDir");
    }
}

bool TDlg_Sprallion::CheckSystemAndLanguage() {
    platform::sysinfo::ScreenSize screen;
    if (!platform::sysinfo::ReadScreenSize(screen) || screen.Width < 800 || screen.Height < 600) {
        ShowError(-1, 10, "");
        return false;
    }
    PlayAVI = 0;
    DDrawVersion = StandInVersion(engine::DirectDrawVersion());
    DInputVersion = StandInVersion(engine::DirectInputVersion());
    DSoundVersion = StandInVersion(engine::DirectSoundVersion());
    GetSystemReport(kReportAll, SystemInfo);

    // The player's choice, else the system's language; a known code on the command line wins.
    std::string chosen = SystemInfo.SystemLanguage;
    if (!Language.empty()) chosen = Language;
    if (const std::string asked = engine::FindParamValue("Lang").second; KnownLanguage(asked)) chosen = asked;
    if (!KnownLanguage(chosen)) chosen = "409";
    LanguageCode = chosen;
    LanguageCode = kEditionLanguage;  // this edition's texts exist in one language only

    if (LanguageCode == "407") TextCharset = 238;
    else if (LanguageCode == "409") TextCharset = 1;
    else if (LanguageCode == "419") TextCharset = 204;

    if ((SystemInfo.TotalPhys >> 20) < 15) {
        ShowError(-1, 7, "");
        return false;
    }
    // Processors of other families report no type of this scale.
    if (SystemInfo.ProcessorType != 0 && SystemInfo.ProcessorType < 586) ShowError(2, 8, "");
    return true;
}

void TDlg_Sprallion::TidyStoredFiles(const std::string& gameData) {
    const std::string files[] = {gameData, SaveContainerFile(), reg::DefaultRegistryFileName()};
    for (const std::string& file : files)
        for (const std::string& done : rtl::RecoverReplacement(file)) WriteLog("TidyStoredFiles", done);
}

std::string TDlg_Sprallion::SaveContainerFile() const {
    return engine::RealPath(engine::JoinDataPath(engine::ResourceFolders().Resource, kSaveContainerName.Plain()));
}

void TDlg_Sprallion::InitSaveContainer() {
    try {
        engine::CreateSaveFile(SaveContainerFile(), 6, false);
    } catch (...) {
        platform::window::App().HandleException(std::current_exception());
    }
}

}  // namespace app
