#include "platform/shell/Spawn.h"

#include <fcntl.h>
#include <signal.h>
#include <spawn.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <thread>

extern char** environ;

namespace platform::shell {
namespace {

constexpr int kStarted = 33;
constexpr int kNotFound = 2, kAccessDenied = 5, kOutOfMemory = 8;

int ShellResult(int error) {
    switch (error) {
        case 0: return kStarted;
        case ENOENT:
        case ENOTDIR: return kNotFound;
        case EACCES:
        case EPERM:
        case ENOEXEC: return kAccessDenied;
        default: return kOutOfMemory;
    }
}

const char* RecordFile() {
    const char* mode = std::getenv("SPRALLION_SHELL");
    return mode && std::strncmp(mode, "record:", 7) == 0 ? mode + 7 : nullptr;
}

// The check the start itself would make: a path must name a file we may run; a bare name
// must be found in PATH.
int CheckProgram(const std::string& program) {
    if (program.find('/') != std::string::npos) return ::access(program.c_str(), X_OK) == 0 ? 0 : errno;
    const char* path = std::getenv("PATH");
    std::string dirs = path ? path : "/usr/bin:/bin";
    for (size_t start = 0; start <= dirs.size();) {
        size_t end = dirs.find(':', start);
        if (end == std::string::npos) end = dirs.size();
        const std::string dir = end > start ? dirs.substr(start, end - start) : ".";
        if (::access((dir + "/" + program).c_str(), X_OK) == 0) return 0;
        start = end + 1;
    }
    return ENOENT;
}

int Record(const char* file, const std::string& program, const std::vector<std::string>& arguments) {
    if (const int error = CheckProgram(program)) return ShellResult(error);
    std::string line = program;
    for (const std::string& a : arguments) line += " " + a;
    line += "\n";
    const int fd = ::open(file, O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return kAccessDenied;
    ::flock(fd, LOCK_EX);
    const bool written = ::write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size());
    ::close(fd);
    return written ? kStarted : kAccessDenied;
}

// posix_spawn's attributes and file actions, released however the start ends.
struct SpawnSetup {
    posix_spawnattr_t attr;
    posix_spawn_file_actions_t actions;
    int error = 0;

    SpawnSetup() {
        error = posix_spawnattr_init(&attr);
        if (error) return;
        error = posix_spawn_file_actions_init(&actions);
        if (error) {
            posix_spawnattr_destroy(&attr);
            return;
        }
        sigset_t none, defaults;
        sigemptyset(&none);
        sigemptyset(&defaults);
        for (int s : {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE, SIGCHLD, SIGUSR1, SIGUSR2}) sigaddset(&defaults, s);
        const short flags = POSIX_SPAWN_SETSID | POSIX_SPAWN_SETSIGMASK | POSIX_SPAWN_SETSIGDEF;
        if (!error) error = posix_spawnattr_setflags(&attr, flags);
        if (!error) error = posix_spawnattr_setsigmask(&attr, &none);
        if (!error) error = posix_spawnattr_setsigdefault(&attr, &defaults);
        for (int fd = 0; fd < 3 && !error; ++fd)
            error = posix_spawn_file_actions_addopen(&actions, fd, "/dev/null", fd == 0 ? O_RDONLY : O_WRONLY, 0);
        if (!error) error = posix_spawn_file_actions_addclosefrom_np(&actions, 3);
    }
    ~SpawnSetup() {
        posix_spawn_file_actions_destroy(&actions);
        posix_spawnattr_destroy(&attr);
    }
    SpawnSetup(const SpawnSetup&) = delete;
    SpawnSetup& operator=(const SpawnSetup&) = delete;
};

}  // namespace

int StartHidden(const std::string& program, const std::vector<std::string>& arguments) {
    if (program.empty()) return kNotFound;
    if (const char* file = RecordFile()) return Record(file, program, arguments);

    std::vector<char*> argv;
    argv.push_back(const_cast<char*>(program.c_str()));
    for (const std::string& a : arguments) argv.push_back(const_cast<char*>(a.c_str()));
    argv.push_back(nullptr);

    SpawnSetup setup;
    if (setup.error) return ShellResult(setup.error);
    pid_t child = 0;
    // glibc reports a failed exec as the result (the child is already reaped then).
    const bool search = program.find('/') == std::string::npos;
    const int error = search ? posix_spawnp(&child, program.c_str(), &setup.actions, &setup.attr, argv.data(), environ)
                             : posix_spawn(&child, program.c_str(), &setup.actions, &setup.attr, argv.data(), environ);
    if (error) return ShellResult(error);
    std::thread([child] {
        while (::waitpid(child, nullptr, 0) < 0 && errno == EINTR) {
        }
    }).detach();
    return kStarted;
}

}  // namespace platform::shell
