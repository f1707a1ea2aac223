#include "platform/shell/Shell.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace platform::shell {
namespace {

int Record(const std::string& file, const std::string& line) {
    int fd = ::open(file.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0600);
    if (fd < 0) return SE_ERR_ACCESSDENIED;
    const std::string text = line + "\n";
    ::flock(fd, LOCK_EX);
    const bool ok = ::write(fd, text.data(), text.size()) == static_cast<ssize_t>(text.size());
    ::close(fd);
    return ok ? kShellStarted : SE_ERR_ACCESSDENIED;
}

const char* RecordFile() {
    const char* mode = std::getenv("SPRALLION_SHELL");
    return mode && std::strncmp(mode, "record:", 7) == 0 ? mode + 7 : nullptr;
}

// A scheme is two or more letters, digits, '+', '-' or '.' before a ':', starting with a
// letter (one letter before ':' would be a drive).
bool HasScheme(const std::string& target) {
    const size_t colon = target.find(':');
    if (colon == std::string::npos || colon < 2 || !std::isalpha(static_cast<unsigned char>(target[0]))) return false;
    for (size_t i = 1; i < colon; ++i) {
        const unsigned char c = static_cast<unsigned char>(target[i]);
        if (!std::isalnum(c) && c != '+' && c != '-' && c != '.') return false;
    }
    return true;
}

// The local file a target names; empty for a URL of another kind.
std::string LocalFile(const std::string& target) {
    if (target.rfind("file://", 0) == 0) return target.substr(7);
    return HasScheme(target) ? std::string() : target;
}

int FromErrno(int error) {
    switch (error) {
        case ENOENT:
        case ENOTDIR: return SE_ERR_FNF;
        case EACCES:
        case EPERM: return SE_ERR_ACCESSDENIED;
        default: return SE_ERR_OOM;
    }
}

// Starts argv[0] in a grandchild, so that nobody has to wait for it and no zombie is left.
// The grandchild reports a failed exec through a pipe that closes on a successful one.
// Answers 0 when the program runs, else the errno of the failure.
int Start(const std::vector<std::string>& args) {
    int report[2];
    if (::pipe2(report, O_CLOEXEC) != 0) return errno;
    std::vector<const char*> argv;
    for (const std::string& a : args) argv.push_back(a.c_str());
    argv.push_back(nullptr);
    const pid_t child = ::fork();
    if (child < 0) {
        const int error = errno;
        ::close(report[0]);
        ::close(report[1]);
        return error;
    }
    if (child == 0) {
        ::close(report[0]);
        ::setsid();
        const pid_t grandchild = ::fork();
        if (grandchild == 0) {
            const int devnull = ::open("/dev/null", O_RDWR);
            if (devnull >= 0) {
                ::dup2(devnull, 0);
                ::dup2(devnull, 1);
                ::dup2(devnull, 2);
            }
            ::execvp(argv[0], const_cast<char* const*>(argv.data()));
            const int error = errno;
            [[maybe_unused]] const ssize_t n = ::write(report[1], &error, sizeof error);
            ::_exit(127);
        }
        if (grandchild < 0) {
            const int error = errno;
            [[maybe_unused]] const ssize_t n = ::write(report[1], &error, sizeof error);
        }
        ::_exit(0);
    }
    ::close(report[1]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) {
    }
    // Either the exec closed the pipe (nothing to read) or the failure's errno arrives.
    int error = 0;
    ssize_t got;
    while ((got = ::read(report[0], &error, sizeof error)) < 0 && errno == EINTR) {
    }
    ::close(report[0]);
    return got == static_cast<ssize_t>(sizeof error) ? (error ? error : EIO) : 0;
}

}  // namespace

int ShellExecute(const std::string& target) {
    if (target.empty()) return SE_ERR_FNF;
    if (const std::string file = LocalFile(target); !file.empty() && ::access(file.c_str(), F_OK) != 0)
        return SE_ERR_FNF;  // before anything starts
    if (const char* record = RecordFile()) return Record(record, target);
    const int error = Start({"xdg-open", target});
    if (error == 0) return kShellStarted;
    return error == ENOENT ? SE_ERR_NOASSOC : FromErrno(error);  // no opener: nothing to open it with
}

int ShellExecuteProgram(const std::string& program, const std::string& argument) {
    if (program.empty()) return SE_ERR_FNF;
    if (const char* record = RecordFile()) return Record(record, program + " " + argument);
    const int error = Start({program, argument});
    return error == 0 ? kShellStarted : FromErrno(error);
}

std::string ShellErrorText(int code) {
    switch (code) {
        case SE_ERR_FNF: return "The system cannot find the file specified.";
        case SE_ERR_ACCESSDENIED: return "Access is denied.";
        case SE_ERR_OOM: return "Not enough storage is available to process this command.";
        case SE_ERR_NOASSOC: return "No application is associated with the specified file for this operation.";
        default: return code > 32 ? "The operation completed successfully." : "Unknown error.";
    }
}

}  // namespace platform::shell
