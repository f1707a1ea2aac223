// An internet object the test owns: it records what the game asks and answers what the test
// sets, so the game's side of the interface is checked without a server.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "internet/R_InternetI.h"
#include "rtl/Text.h"

namespace apptest {

class FakeInternetGame final : public palvrek::IInternetGame {
public:
    using HRESULT = platform::com::HRESULT;
    using BSTR = platform::com::BSTR;
    using VARIANT_BOOL = platform::com::VARIANT_BOOL;

    // Answers.
    bool localRecord = true;
    HRESULT isLocalRecordResult = platform::com::S_OK;
    bool connected = true;
    int32_t updates = 0;
    bool finalizeThrows = false;
    std::function<void()> onQueryUpdates;

    // What was asked.
    int isLocalRecordCalls = 0, addLocalScoreCalls = 0, showLocalTopListCalls = 0, queryUpdatesCalls = 0;
    int checkInternetCalls = 0, finalizeCalls = 0;
    std::vector<std::string> added;  // "Player|Score|Difficulty|Rank|Medals|Time" of each entry
    int refs = 1;

    // The object placed in a reference of the game (which then owns one reference).
    void InstallIn(platform::com::ComPtr<palvrek::IInternetGame>& reference) {
        AddRef();
        *reinterpret_cast<palvrek::IInternetGame**>(reference.out()) = this;
    }

    HRESULT QueryInterface(const platform::com::IID&, void** object) override {
        *object = this;
        AddRef();
        return platform::com::S_OK;
    }
    uint32_t AddRef() override { return static_cast<uint32_t>(++refs); }
    uint32_t Release() override { return static_cast<uint32_t>(--refs); }

    HRESULT Initialize(VARIANT_BOOL* ready) override {
        *ready = platform::com::VARIANT_TRUE;
        return platform::com::S_OK;
    }
    void Finalize() override {
        ++finalizeCalls;
        if (finalizeThrows) throw rtl::EInOutError("the library failed to finish");
    }
    void GetSettings(palvrek::TInternetSetup&) override {}
    void SetSettings(const palvrek::TInternetSetup&) override {}
    HRESULT GetVersion(BSTR*) override { return platform::com::S_OK; }
    HRESULT CheckInternet(VARIANT_BOOL* online) override {
        ++checkInternetCalls;
        *online = platform::com::ToVariantBool(connected);
        return platform::com::S_OK;
    }
    HRESULT GetServerLastScore(int32_t*) override { return platform::com::S_OK; }
    HRESULT SendScore(palvrek::TPlayer, int32_t*) override { return platform::com::S_OK; }
    void ShowServerTopList() override {}
    HRESULT QueryUpdates(int32_t* count) override {
        ++queryUpdatesCalls;
        if (onQueryUpdates) onQueryUpdates();
        *count = updates;
        return platform::com::S_OK;
    }
    HRESULT GetUpdateDescriptions(BSTR* text, palvrek::TUpdateFilter, int32_t* count) override {
        platform::com::AssignBstr(*text, u"Sprallion 1.2");
        *count = 1;
        return platform::com::S_OK;
    }
    HRESULT DownloadAllUpdates(VARIANT_BOOL, int32_t*) override { return platform::com::S_OK; }
    HRESULT DownloadUpdates(BSTR, int32_t*) override { return platform::com::S_OK; }
    void GetDownloadState(palvrek::TCurrentDownloadStatus&) override {}
    void CancelDownload(VARIANT_BOOL) override {}
    void LoadInstalledList(BSTR) override {}
    void AddInstalled(BSTR, BSTR) override {}
    void GetInstalled(BSTR&, BSTR&) override {}
    void GetLocalTopListSettings(palvrek::TLocalTopListSetup&) override {}
    void SetLocalTopListSettings(const palvrek::TLocalTopListSetup&) override {}
    HRESULT GetLocalLastScore(int32_t*) override { return platform::com::S_OK; }
    void AddLocalScore(const palvrek::TPlayer& p) override {
        ++addLocalScoreCalls;
        auto text = [](BSTR s) { return rtl::Utf16ToAnsi(platform::com::BstrToString(s)); };
        added.push_back(text(p.Player) + "|" + text(p.Score) + "|" + text(p.Difficulty) + "|" + text(p.Rank) + "|" +
                        text(p.Medals) + "|" + text(p.Time));
    }
    void BuildLocalTopListPage() override {}
    void ShowLocalTopList() override { ++showLocalTopListCalls; }
    HRESULT GetLocalBest(palvrek::TPlayer*, VARIANT_BOOL*) override { return platform::com::S_OK; }
    HRESULT IsLocalRecord(int32_t, VARIANT_BOOL* record) override {
        ++isLocalRecordCalls;
        *record = platform::com::ToVariantBool(localRecord);
        return isLocalRecordResult;
    }
    HRESULT GetLocalCount(int32_t*) override { return platform::com::S_OK; }
    HRESULT GetLocalEntry(int32_t, palvrek::TPlayer*, VARIANT_BOOL*) override { return platform::com::S_OK; }
};

}  // namespace apptest
