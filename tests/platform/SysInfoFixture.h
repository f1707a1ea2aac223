// A made-up machine for the system-information readers: a fixture tree of /proc and /etc
// written by tools/datagen, and replacements for uname, sysconf, the counter and the clock.
// The real source comes back at the end.
#pragma once

#include <map>
#include <string>

#include "platform/sysinfo/SysInfo.h"
#include "tests/TempDir.h"
#include "tools/datagen/SystemTree.h"

class FakeMachine {
public:
    FakeMachine() { Apply(); }
    ~FakeMachine() { platform::sysinfo::Current() = platform::sysinfo::Source::System(); }
    FakeMachine(const FakeMachine&) = delete;
    FakeMachine& operator=(const FakeMachine&) = delete;

    // Writes the tree and installs the source; call again after changing the fields.
    void Apply() {
        datagen::WriteSystemTree(dir_.File("root"), Tree);
        platform::sysinfo::Source s;
        s.Root = dir_.File("root");
        s.GetUname = [this](platform::sysinfo::Uname& u) {
            u = {"Linux", Release, Machine};
            return true;
        };
        s.Sysconf = [this](int) { return static_cast<long>(Tree.processors); };
        s.Counter = [this] { return counter_ += CounterStep; };
        s.ClockNs = [this] { return clock_ += ClockStepNs; };
        s.Sleep = [this](uint32_t ms) { Sleeps.push_back(ms); };
        s.Screen = [this](platform::sysinfo::ScreenSize& size) {
            size = Screen;
            return true;
        };
        s.GetEnv = [this](const char* name) {
            auto it = Env.find(name);
            return it == Env.end() ? std::string() : it->second;
        };
        s.AddressSpace = [this] { return AddressSpace; };
        platform::sysinfo::Current() = s;
    }

    datagen::SystemTree Tree;
    std::string Release = "6.1.0-18-amd64";
    std::string Machine = "x86_64";
    platform::sysinfo::ScreenSize Screen{1024, 768};
    std::map<std::string, std::string> Env{{"LANG", "ru_RU.UTF-8"}};
    uint64_t AddressSpace = uint64_t{1} << 47;
    // The counter and the clock step once per reading (start values near the 32-bit wrap).
    uint64_t CounterStep = 1'600'000'000, ClockStepNs = 500'000'000;
    std::vector<uint32_t> Sleeps;

private:
    TempDir dir_;
    uint64_t counter_ = 0xFFFFFFF0ull, clock_ = 0;
};
