// Shared setup of the library's tests: a private registry and shell recorder in a temporary
// folder, the library registered with regsvr, and a loopback HTTP server.
#pragma once

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
int RunRegsvr(const std::string& args);

}  // namespace palvrek::testing
