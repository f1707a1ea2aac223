#include "platform/instance/InstanceLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace platform::instance {
namespace {

bool PlainFileName(const std::string& name) {
    return !name.empty() && name != "." && name != ".." && name.find('/') == std::string::npos &&
           name.find('\0') == std::string::npos;
}

}  // namespace

InstanceLock::Result InstanceLock::TryAcquire(const std::string& folder, const std::string& name,
                                              std::unique_ptr<InstanceLock>& lock, std::string* error) {
    lock.reset();
    auto fail = [&](const std::string& text) {
        if (error) *error = text;
        return Result::Failed;
    };
    if (folder.empty()) return fail("no runtime folder");
    if (!PlainFileName(name)) return fail("'" + name + "' is no plain file name");
    const std::string path = folder + "/" + name + ".lock";
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) return fail(path + ": " + std::strerror(errno));
    int rc;
    while ((rc = ::flock(fd, LOCK_EX | LOCK_NB)) != 0 && errno == EINTR) {
    }
    if (rc != 0) {
        const int code = errno;
        ::close(fd);
        if (code == EWOULDBLOCK) return Result::HeldElsewhere;
        return fail(path + ": " + std::strerror(code));
    }
    // The holder's process id, for whoever looks at the folder.
    const std::string pid = std::to_string(::getpid()) + "\n";
    if (::ftruncate(fd, 0) == 0 && ::pwrite(fd, pid.data(), pid.size(), 0) < 0) {
        // Only informative; the lock itself is what counts.
    }
    // The folder lies among the system's temporary files, which the system cleans of what
    // went unused for days; a folder locked this way is left alone while the game runs.
    int folderFd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (folderFd >= 0 && ::flock(folderFd, LOCK_EX | LOCK_NB) != 0) {
        ::close(folderFd);
        folderFd = -1;
    }
    lock.reset(new InstanceLock(fd, folderFd, path));
    return Result::Acquired;
}

InstanceLock::~InstanceLock() {
    ::close(fd_);
    if (folderFd_ >= 0) ::close(folderFd_);
}

}  // namespace platform::instance
