#include "platform/instance/RuntimeFolder.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace platform::instance {
namespace {

bool Fail(std::string* error, const std::string& text) {
    if (error) *error = text;
    return false;
}

std::string Env(const char* name) {
    const char* v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string WithoutTrailingSlash(std::string path) {
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    return path;
}

}  // namespace

bool PrepareRuntimeFolder(const std::string& path, std::string* error) {
    if (path.empty()) return Fail(error, "no folder");
    if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST)
        return Fail(error, path + ": " + std::strerror(errno));
    // Checked through a descriptor of the folder itself: what is checked is what is changed.
    const int fd = ::open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        const int code = errno;
        struct stat st {};
        if (::lstat(path.c_str(), &st) == 0 && S_ISLNK(st.st_mode)) return Fail(error, path + " is a link");
        if (code == ENOTDIR) return Fail(error, path + " is not a folder");
        return Fail(error, path + ": " + std::strerror(code));
    }
    struct stat st {};
    std::string problem;
    if (::fstat(fd, &st) != 0)
        problem = path + ": " + std::strerror(errno);
    else if (st.st_uid != ::geteuid())
        problem = path + " belongs to another user";
    else if ((st.st_mode & 077) != 0 && ::fchmod(fd, 0700) != 0)
        problem = path + ": " + std::strerror(errno);
    ::close(fd);
    if (!problem.empty()) return Fail(error, problem);
    return true;
}

std::string RuntimeFolderPath() {
    const std::string path = Env("SPRALLION_RUNTIME_DIR");
    if (!path.empty()) return WithoutTrailingSlash(path);
    return "/tmp/sprallion-" + std::to_string(::geteuid());
}

std::string RuntimeFolder(std::string* error) {
    const std::string path = RuntimeFolderPath();
    return PrepareRuntimeFolder(path, error) ? path : std::string();
}

}  // namespace platform::instance
