// An internet object for the dialogs' tests: answers the connection check as told and
// downloads a list of files, keeping the message loop going while it "waits", as the
// library does with its pump installed.
#pragma once

#include <atomic>
#include <functional>
#include <string>
#include <vector>

#include "internet/R_InternetI.h"
#include "platform/clock/VirtualClock.h"
#include "platform/window/ModalLoop.h"

namespace apptest {

namespace com = platform::com;

class FakeInternet final : public palvrek::IInternetGame {
public:
    explicit FakeInternet(platform::clock::VirtualClock& clock) : clock_(clock) {}

    // The connection check's answer, and what happens while it waits.
    bool Connected = true;
    std::function<void()> WhileChecking;
    int Checks = 0;

    // The download: each file takes `TurnsPerFile` turns of the pump, 20 ms each, and comes
    // unless listed in `Failing`. `WhileFile(i)` runs once when file i (from 1) starts.
    std::vector<int32_t> FileSizes;
    std::vector<int> Failing;
    int TurnsPerFile = 5;
    std::function<void(int file)> WhileFile;
    int Cancels = 0;
    bool StopAll = false;
    int StateReads = 0;
    int Downloads = 0;

    // ---- IUnknown ----
    com::HRESULT QueryInterface(const com::IID&, void** object) override {
        *object = nullptr;
        return com::E_NOINTERFACE;
    }
    uint32_t AddRef() override { return ++refs_; }
    uint32_t Release() override { return --refs_; }
    uint32_t References() const { return refs_; }

    // ---- What the dialogs use ----
    com::HRESULT CheckInternet(com::VARIANT_BOOL* connected) override {
        ++Checks;
        if (WhileChecking) WhileChecking();
        Wait(5);
        *connected = com::ToVariantBool(Connected);
        return com::S_OK;
    }
    com::HRESULT DownloadAllUpdates(com::VARIANT_BOOL, int32_t* count) override {
        ++Downloads;
        status_ = {};
        status_.FileCount = int32_t(FileSizes.size());
        for (int32_t size : FileSizes) status_.TotalSize += size;
        for (size_t i = 0; i < FileSizes.size() && !StopAll; ++i) {
            status_.FileIndex = int32_t(i + 1);
            status_.FileName = "file" + std::to_string(i + 1) + ".exe";
            status_.FileSize = FileSizes[i];
            status_.FileBytes = 0;
            if (WhileFile) WhileFile(int(i + 1));
            for (int turn = 1; turn <= TurnsPerFile && !StopAll; ++turn) {
                status_.FileBytes = int32_t(int64_t(FileSizes[i]) * turn / TurnsPerFile);
                Wait(1);
            }
            if (StopAll) break;
            const bool fails = std::find(Failing.begin(), Failing.end(), int(i + 1)) != Failing.end();
            if (!fails) {
                ++status_.Downloaded;
                status_.Done += status_.FileName + "\r\n";
            }
            status_.DoneBytes += status_.FileBytes;
            status_.FileBytes = 0;
        }
        *count = status_.Downloaded;
        return com::S_OK;
    }
    void GetDownloadState(palvrek::TCurrentDownloadStatus& s) override {
        ++StateReads;
        palvrek::FreeRecord(s);
        s.FileName = com::SysAllocString(Wide(status_.FileName));
        s.FileIndex = status_.FileIndex;
        s.FileCount = status_.FileCount;
        s.FileSize = status_.FileSize;
        s.FileBytes = status_.FileBytes;
        s.TotalSize = status_.TotalSize;
        s.TotalBytes = status_.DoneBytes + status_.FileBytes;
        s.Downloaded = status_.Downloaded;
        s.DoneFiles = com::SysAllocString(Wide(status_.Done));
    }
    void CancelDownload(com::VARIANT_BOOL stopAll) override {
        ++Cancels;
        StopAll = stopAll != 0;
    }

    // ---- The rest is not for the dialogs ----
    com::HRESULT Initialize(com::VARIANT_BOOL*) override { return com::E_NOTIMPL; }
    void Finalize() override {}
    void GetSettings(palvrek::TInternetSetup&) override {}
    void SetSettings(const palvrek::TInternetSetup&) override {}
    com::HRESULT GetVersion(com::BSTR*) override { return com::E_NOTIMPL; }
    com::HRESULT GetServerLastScore(int32_t*) override { return com::E_NOTIMPL; }
    com::HRESULT SendScore(palvrek::TPlayer, int32_t*) override { return com::E_NOTIMPL; }
    void ShowServerTopList() override {}
    com::HRESULT QueryUpdates(int32_t*) override { return com::E_NOTIMPL; }
    com::HRESULT GetUpdateDescriptions(com::BSTR*, palvrek::TUpdateFilter, int32_t*) override { return com::E_NOTIMPL; }
    com::HRESULT DownloadUpdates(com::BSTR, int32_t*) override { return com::E_NOTIMPL; }
    void LoadInstalledList(com::BSTR) override {}
    void AddInstalled(com::BSTR, com::BSTR) override {}
    void GetInstalled(com::BSTR&, com::BSTR&) override {}
    void GetLocalTopListSettings(palvrek::TLocalTopListSetup&) override {}
    void SetLocalTopListSettings(const palvrek::TLocalTopListSetup&) override {}
    com::HRESULT GetLocalLastScore(int32_t*) override { return com::E_NOTIMPL; }
    void AddLocalScore(const palvrek::TPlayer&) override {}
    void BuildLocalTopListPage() override {}
    void ShowLocalTopList() override {}
    com::HRESULT GetLocalBest(palvrek::TPlayer*, com::VARIANT_BOOL*) override { return com::E_NOTIMPL; }
    com::HRESULT IsLocalRecord(int32_t, com::VARIANT_BOOL*) override { return com::E_NOTIMPL; }
    com::HRESULT GetLocalCount(int32_t*) override { return com::E_NOTIMPL; }
    com::HRESULT GetLocalEntry(int32_t, palvrek::TPlayer*, com::VARIANT_BOOL*) override { return com::E_NOTIMPL; }

private:
    static std::u16string Wide(const std::string& s) { return std::u16string(s.begin(), s.end()); }
    // The network's wait: time passes and the library's pump turns the message loop.
    void Wait(int turns) {
        for (int i = 0; i < turns; ++i) {
            clock_.Advance(20);
            platform::window::PumpMessages(nullptr);
        }
    }

    struct Progress {
        std::string FileName, Done;
        int32_t FileIndex = 0, FileCount = 0, FileSize = 0, FileBytes = 0, TotalSize = 0, DoneBytes = 0, Downloaded = 0;
    };
    platform::clock::VirtualClock& clock_;
    Progress status_;
    std::atomic<uint32_t> refs_{1};
};

}  // namespace apptest
