#include "platform/instance/RuntimeFolder.h"

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
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return Fail(error, path + ": " + std::strerror(errno));
    if (S_ISLNK(st.st_mode)) return Fail(error, path + " is a link");
    if (!S_ISDIR(st.st_mode)) return Fail(error, path + " is not a folder");
    if (st.st_uid != ::geteuid()) return Fail(error, path + " belongs to another user");
    if ((st.st_mode & 077) != 0 && ::chmod(path.c_str(), 0700) != 0)
        return Fail(error, path + ": " + std::strerror(errno));
    return true;
}

std::string RuntimeFolder(std::string* error) {
    std::string path = Env("SPRALLION_RUNTIME_DIR");
    if (path.empty()) {
        const std::string xdg = Env("XDG_RUNTIME_DIR");
        if (!xdg.empty()) {
            path = WithoutTrailingSlash(xdg) + "/sprallion";
        } else {
            std::string tmp = Env("TMPDIR");
            if (tmp.empty()) tmp = "/tmp";
            path = WithoutTrailingSlash(tmp) + "/sprallion-" + std::to_string(::geteuid());
        }
    }
    path = WithoutTrailingSlash(path);
    return PrepareRuntimeFolder(path, error) ? path : std::string();
}

}  // namespace platform::instance
