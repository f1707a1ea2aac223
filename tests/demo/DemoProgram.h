// One start of the game program as the end-to-end tests run it: a copy of the demo data as its
// program folder, a private registry with the internet library registered as the installer
// leaves it, the shell recorder, headless on the virtual clock with a test script.
#pragma once

#include <sys/wait.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <vector>

#include "tests/TempDir.h"
#include "tests/demo/DemoFixture.h"
#include "tests/platform/ProcessHelpers.h"

namespace demotest {

class DemoProgram {
public:
    DemoProgram() {
        std::filesystem::copy(DemoData::Get().home, Home(), std::filesystem::copy_options::recursive);
        const std::string bin = testproc::BinDir();
        const int status = std::system(
            ("SPRALLION_REGISTRY='" + Registry() + "' '" + bin + "/regsvr' -s '" + bin + "/libPalvrek.so'").c_str());
        registered_ = WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    // Runs the program with the script until it ends (killed after `limit`); nothing when the
    // library could not be registered.
    void Run(const std::string& script, std::chrono::seconds limit = std::chrono::seconds(120)) {
        if (!registered_) return;
        dir.Write("script", script);
        const pid_t pid = testproc::SpawnProgram("sprallion", ScriptedRun(Home(), dir.File(""), dir.File("script")),
                                                 dir.File("stderr"));
        if (pid > 0) exit = testproc::WaitExit(pid, limit);
    }

    std::string Home() const { return dir.File("game"); }
    std::string Registry() const { return dir.File("registry"); }
    std::string Log() const { return dir.Read("game/Exception.Log"); }
    // What the shell was asked to open, one target a line.
    std::vector<std::string> Recorded() const {
        std::ifstream in(dir.File("shell"));
        std::vector<std::string> lines;
        for (std::string line; std::getline(in, line);) lines.push_back(line);
        return lines;
    }
    // The run's log and standard error, for a failure's message.
    std::string Output() const { return Log() + dir.Read("stderr"); }

    TempDir dir;
    std::optional<int> exit;  // nothing: it did not end in time

private:
    bool registered_ = false;
};

}  // namespace demotest
