// Shared setup of the library's tests: a private registry and shell recorder in a temporary
// folder, and the library registered with regsvr and created as the game creates it.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "internet/R_InternetI.h"
#include "platform/com/ComObj.h"
#include "rtl/Text.h"

namespace palvrek::testing {

namespace fs = std::filesystem;

// A temporary folder holding the registry file and the shell recorder's file, selected through
// the environment for this process and the processes it starts.
class TempEnvironment {
public:
    TempEnvironment() {
        dir_ = fs::temp_directory_path() /
               ("sprallion-internet-" + std::to_string(::getpid()) + "-" + std::to_string(counter_++));
        fs::remove_all(dir_);
        fs::create_directories(dir_);
        ::setenv("SPRALLION_REGISTRY", (dir_ / "registry").c_str(), 1);
        ::setenv("SPRALLION_SHELL", ("record:" + (dir_ / "opened").string()).c_str(), 1);
    }
    ~TempEnvironment() {
        ::unsetenv("SPRALLION_REGISTRY");
        ::unsetenv("SPRALLION_SHELL");
        fs::remove_all(dir_);
    }
    const fs::path& Dir() const { return dir_; }
    std::vector<std::string> Opened() const {
        std::ifstream in(dir_ / "opened");
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }

private:
    static inline int counter_ = 0;
    fs::path dir_;
};

// The build's bin folder: SPRALLION_BIN_DIR, else this test's own folder (the build puts the
// tests, the library and regsvr side by side).
inline std::string BinDir() {
    if (const char* dir = std::getenv("SPRALLION_BIN_DIR"); dir && *dir) return dir;
    return fs::canonical("/proc/self/exe").parent_path().string();
}

// Runs regsvr with arguments; answers its exit status.
inline int RunRegsvr(const std::string& args) {
    std::string command = BinDir() + "/regsvr " + args + " >/dev/null 2>&1";
    int status = std::system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

inline std::string LibraryFile() { return BinDir() + "/libPalvrek.so"; }

// The library as the game meets it: registered by regsvr, created by class identifier in a
// private registry, and called through its table of operations.
class GameFixture : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_EQ(RunRegsvr("-s " + LibraryFile()), 0);
        ASSERT_TRUE(platform::com::SUCCEEDED(platform::com::CoInitialize()));
        ASSERT_EQ(platform::com::CoCreateInstance(CLSID_InternetGame, nullptr, 7, IID_IInternetGame, game_.out()),
                  platform::com::S_OK);
    }
    void TearDown() override {
        if (auto set = SetPumpFunction()) set(nullptr, nullptr);
        game_.reset();
        platform::com::CoUninitialize();
    }

    bool Initialize() {
        VARIANT_BOOL ready = 0;
        EXPECT_EQ(game_->Initialize(&ready), platform::com::S_OK);
        return ready != 0;
    }
    // Changes the current settings through GetSettings and SetSettings.
    void EditSettings(const std::function<void(TInternetSetup&)>& edit) {
        TInternetSetup s;
        game_->GetSettings(s);
        edit(s);
        game_->SetSettings(s);
        FreeRecord(s);
    }
    // The update service and the scripts on 127.0.0.1:port, downloads into the test's folder.
    void Serve(int port, int timeOut = 0) {
        EditSettings([&](TInternetSetup& s) {
            platform::com::AssignBstr(s.Host, u"127.0.0.1");
            s.Port = port;
            s.TimeOut = timeOut;
            platform::com::AssignBstr(s.DownloadDir, rtl::AnsiToUtf16(Downloads()));
            platform::com::AssignBstr(s.RegistryKey, u"\\SOFTWARE\\Quorvex\\Sprallion\\");
        });
    }
    std::string Downloads() const { return (env_.Dir() / "UpDate").string(); }
    // The server operations' answers.
    bool Online() {
        VARIANT_BOOL online = -1;
        EXPECT_EQ(game_->CheckInternet(&online), platform::com::S_OK);
        return online != 0;
    }
    int LastScore() {
        int32_t last = 0;
        EXPECT_EQ(game_->GetServerLastScore(&last), platform::com::S_OK);
        return last;
    }
    int Query() {
        int32_t n = 0;
        EXPECT_EQ(game_->QueryUpdates(&n), platform::com::S_OK);
        return n;
    }
    // The library's message-pump export (nullptr while the library is not loaded).
    static PalvrekSetMessagePumpFunction SetPumpFunction() {
        return reinterpret_cast<PalvrekSetMessagePumpFunction>(
            platform::com::CoGetLoadedExport(CLSID_InternetGame, kSetMessagePumpExport));
    }

    TempEnvironment env_;
    platform::com::ComPtr<IInternetGame> game_;
};

}  // namespace palvrek::testing
