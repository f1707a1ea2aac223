// TInternetGame, the library's one creatable class, and the library state it works on.
#pragma once

#include <memory>
#include <string>

#include "internet/InternetOptionsU.h"
#include "internet/R_InternetI.h"
#include "internet/TopListU.h"
#include "internet/UpdateU.h"
#include "platform/com/ComServer.h"

namespace palvrek {

inline constexpr const char* kClassName = "InternetGame";
inline constexpr const char* kClassDescription = "Quorvex Internet DLL";
inline constexpr const char* kVersion = "1.1";
inline constexpr const char* kDefaultHost = "www.quorvex.com";

// The settings as the library keeps them (wide, so that they come back exactly as given). Empty
// until Initialize fills in the defaults, as they are again when the library is loaded anew.
struct InternetSettings {
    std::u16string Host;
    int32_t Port = 0;
    int32_t TimeOut = 0;
    std::u16string Version, LanguageId, Project, Reserved, RegistryKey, GetLastScript, SetNewScript, UpdateScript,
        DownloadDir;
};
InternetSettings DefaultSettings();
InternetSettings FromRecord(const TInternetSetup& record);
// Frees the strings the record holds, then fills it.
void ToRecord(const InternetSettings& settings, TInternetSetup& record);

// The three service objects that Initialize makes and Finalize frees. Declared so that they
// go in Finalize's order: the update session, the top-list client, the proxy reader.
struct ServiceObjects {
    std::unique_ptr<TInternetOption> option;
    std::unique_ptr<TTopList> topList;
    std::unique_ptr<TUpdateSession> update;
};

// Module-wide state, one set for all objects of the class.
struct LibraryState {
    InternetSettings settings;
    bool ready = false;
    std::string languageCode;
    std::string registryBase;  // UTF-8
    int lastInserted = 0;
    std::unique_ptr<TInternetOption> option;
    std::unique_ptr<TTopList> topList;
    std::unique_ptr<TUpdateSession> update;
    // Interface operations under way that may run the caller's message pump, and the service
    // objects that Finalize or Initialize took away meanwhile: freed when the outermost returns.
    int running = 0;
    std::vector<ServiceObjects> retired;
};
LibraryState& Library();

// Cancels what the service objects are doing and takes them away: freed now, or, while an
// operation still runs on them, when the outermost operation returns.
void RetireServices();

// Makes settings current in the service objects (those that exist) and the library state.
void ApplySettings(const InternetSettings& settings);
// The language code of a LanguageId, compared exactly.
std::string LanguageCodeOf(const std::string& languageId);

class TInternetGame final : public platform::com::TComObject<IInternetGame> {
public:
    HRESULT Initialize(VARIANT_BOOL* ready) override;
    void Finalize() override;
    void GetSettings(TInternetSetup& settings) override;
    void SetSettings(const TInternetSetup& settings) override;
    HRESULT GetVersion(BSTR* version) override;
    HRESULT CheckInternet(VARIANT_BOOL* connected) override;
    HRESULT GetServerLastScore(int32_t* score) override;
    HRESULT SendScore(TPlayer player, int32_t* answer) override;
    void ShowServerTopList() override;
    HRESULT QueryUpdates(int32_t* count) override;
    HRESULT GetUpdateDescriptions(BSTR* text, TUpdateFilter filter, int32_t* count) override;
    HRESULT DownloadAllUpdates(VARIANT_BOOL hideInstalled, int32_t* count) override;
    HRESULT DownloadUpdates(BSTR descriptions, int32_t* count) override;
    void GetDownloadState(TCurrentDownloadStatus& status) override;
    void CancelDownload(VARIANT_BOOL stopAll) override;
    void LoadInstalledList(BSTR fileName) override;
    void AddInstalled(BSTR name, BSTR version) override;
    void GetInstalled(BSTR& names, BSTR& versions) override;
    void GetLocalTopListSettings(TLocalTopListSetup& setup) override;
    void SetLocalTopListSettings(const TLocalTopListSetup& setup) override;
    HRESULT GetLocalLastScore(int32_t* score) override;
    void AddLocalScore(const TPlayer& player) override;
    void BuildLocalTopListPage() override;
    void ShowLocalTopList() override;
    HRESULT GetLocalBest(TPlayer* best, VARIANT_BOOL* found) override;
    HRESULT IsLocalRecord(int32_t score, VARIANT_BOOL* isRecord) override;
    HRESULT GetLocalCount(int32_t* count) override;
    HRESULT GetLocalEntry(int32_t index, TPlayer* entry, VARIANT_BOOL* found) override;

protected:
    bool Answers(const IID& iid) const override { return iid == IID_IInternetGame; }
};

// The class factory of TInternetGame, registered when the library loads.
platform::com::TComObjectFactory& InternetGameFactory();

}  // namespace palvrek
