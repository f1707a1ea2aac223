// Helpers of tests that run other processes: environment values for one test, forked
// children with an exit code, and waiting with a time limit.
#pragma once

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

namespace testproc {

// Sets or removes environment values and puts the old ones back at the end.
class ScopedEnv {
public:
    ScopedEnv() = default;
    ScopedEnv(const char* name, const std::string& value) { Set(name, value); }
    ~ScopedEnv() {
        for (auto it = saved_.rbegin(); it != saved_.rend(); ++it) {
            if (it->second)
                ::setenv(it->first.c_str(), it->second->c_str(), 1);
            else
                ::unsetenv(it->first.c_str());
        }
    }
    ScopedEnv(const ScopedEnv&) = delete;
    ScopedEnv& operator=(const ScopedEnv&) = delete;

    void Set(const char* name, const std::string& value) {
        Save(name);
        ::setenv(name, value.c_str(), 1);
    }
    void Unset(const char* name) {
        Save(name);
        ::unsetenv(name);
    }

private:
    void Save(const char* name) {
        const char* old = std::getenv(name);
        saved_.emplace_back(name, old ? std::optional<std::string>(old) : std::nullopt);
    }
    std::vector<std::pair<std::string, std::optional<std::string>>> saved_;
};

// Runs body in a forked child, which ends with body's result as its exit code.
inline pid_t Fork(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    return pid;
}

// The child's exit code; -signal when a signal ended it; nullopt when it did not end in time
// (it is then killed).
inline std::optional<int> WaitExit(pid_t pid, std::chrono::milliseconds limit = std::chrono::seconds(10)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    int status = 0;
    for (;;) {
        const pid_t done = ::waitpid(pid, &status, WNOHANG);
        if (done == pid) break;
        if (std::chrono::steady_clock::now() > deadline) {
            ::kill(pid, SIGKILL);
            ::waitpid(pid, &status, 0);
            return std::nullopt;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (WIFEXITED(status)) return WEXITSTATUS(status);
    return WIFSIGNALED(status) ? -WTERMSIG(status) : -1;
}

// Reaps children as they end, each exit code (as WaitExit gives it) into `codes` and the child
// out of `running`, until `enough` holds or the limit passes; answers whether it held.
inline bool CollectExits(std::vector<pid_t>& running, std::vector<int>& codes, const std::function<bool()>& enough,
                         std::chrono::milliseconds limit = std::chrono::seconds(60)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!enough()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::erase_if(running, [&](pid_t pid) {
            int status = 0;
            if (::waitpid(pid, &status, WNOHANG) != pid) return false;
            codes.push_back(WIFEXITED(status) ? WEXITSTATUS(status) : WIFSIGNALED(status) ? -WTERMSIG(status) : -1);
            return true;
        });
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

// The build's program folder: SPRALLION_BIN_DIR, else the test program's own folder.
inline std::string BinDir() {
    const char* dir = std::getenv("SPRALLION_BIN_DIR");
    return dir && *dir ? dir : std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

// The same with arguments after the program's name, and descriptors handed to the child:
// each pair's first descriptor of this process becomes the second in the child.
inline pid_t SpawnProgram(const std::string& name, const std::vector<std::string>& args,
                          const std::vector<std::string>& settings, const std::string& errorFile,
                          const std::vector<std::pair<int, int>>& descriptors) {
    std::vector<std::string> env;
    for (char** e = environ; *e; ++e)
        if (std::strncmp(*e, "SPRALLION_", 10) != 0) env.emplace_back(*e);
    env.insert(env.end(), settings.begin(), settings.end());
    std::vector<char*> envp;
    for (auto& e : env) envp.push_back(e.data());
    envp.push_back(nullptr);
    std::string program = BinDir() + "/" + name;
    std::vector<std::string> words(args);
    std::vector<char*> argv{program.data()};
    for (auto& w : words) argv.push_back(w.data());
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    for (const auto& [from, to] : descriptors) posix_spawn_file_actions_adddup2(&actions, from, to);
    posix_spawn_file_actions_addopen(&actions, 2, errorFile.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = -1;
    const int failed = ::posix_spawn(&pid, program.c_str(), &actions, nullptr, argv.data(), envp.data());
    posix_spawn_file_actions_destroy(&actions);
    return failed ? -1 : pid;
}

// Starts the program of the build's folder with this environment less every SPRALLION_
// setting, plus `settings` (NAME=VALUE), its standard error into errorFile; -1 on failure.
inline pid_t SpawnProgram(const std::string& name, const std::vector<std::string>& settings,
                          const std::string& errorFile) {
    return SpawnProgram(name, {}, settings, errorFile, {});
}

// Polls until done() or the limit passes.
inline bool WaitFor(const std::function<bool()>& done, std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto deadline = std::chrono::steady_clock::now() + limit;
    while (!done()) {
        if (std::chrono::steady_clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

}  // namespace testproc
