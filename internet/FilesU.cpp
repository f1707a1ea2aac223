#include "internet/FilesU.h"

#include "rtl/Streams.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <fstream>
#include <sstream>

#include <cerrno>
#include <cstdlib>

#include "platform/shell/Shell.h"

namespace palvrek {

std::string IncludeBackslash(std::string_view path) {
    if (path.empty() || path.back() == '/') return std::string(path);
    return std::string(path) + '/';
}

bool IsDirectory(const std::string& path) {
    struct stat st{};
    return ::stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

bool CreateDirectoryPath(std::string path) {
    if (path.empty()) throw rtl::EInOutError("Unable to create directory");
    while (path.size() > 1 && path.back() == '/') path.pop_back();
    if (path == "/" || IsDirectory(path)) return true;
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) throw rtl::EInOutError("Unable to create directory");
    std::string parent = path.substr(0, slash + 1);
    if (!CreateDirectoryPath(parent)) return false;
    return ::mkdir(path.c_str(), 0755) == 0 || (errno == EEXIST && IsDirectory(path));
}

void WriteFileSafely(const std::string& fileName, std::string_view data) {
    rtl::WriteFileAtomically(fileName, data.data(), data.size());
}

std::optional<std::string> ReadWholeFile(const std::string& fileName) {
    std::ifstream in(fileName, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream s;
    s << in.rdbuf();
    if (in.bad()) return std::nullopt;
    return s.str();
}

void ShellOpen(const std::string& target) { platform::shell::ShellOpen(target); }

std::string GetTempDir() {
    const char* dir = std::getenv("TMPDIR");
    return IncludeBackslash(dir && *dir ? dir : "/tmp");
}

}  // namespace palvrek
