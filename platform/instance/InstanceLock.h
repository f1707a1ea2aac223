// The single-instance lock: an exclusive `flock` on "<name>.lock" in the runtime folder.
//
// The lock belongs to the open file, which is closed on exec, so programs the game starts do
// not inherit it, and it dies with the process however the process ends: a crashed copy never
// keeps the next start from being the first. The holder also locks the folder itself, which
// keeps the system's cleaning of old temporary files out of it while the game runs.
#pragma once

#include <memory>
#include <string>

namespace platform::instance {

class InstanceLock {
public:
    enum class Result { Acquired, HeldElsewhere, Failed };

    // Tries to take the lock without waiting. On Acquired `lock` holds it until destroyed;
    // on Failed `error` says why (a name that is no plain file name, an unusable folder).
    static Result TryAcquire(const std::string& folder, const std::string& name, std::unique_ptr<InstanceLock>& lock,
                             std::string* error = nullptr);

    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    const std::string& Path() const { return path_; }

private:
    InstanceLock(int fd, int folderFd, std::string path) : fd_(fd), folderFd_(folderFd), path_(std::move(path)) {}
    int fd_;
    int folderFd_;  // -1 when the folder could not be locked
    std::string path_;
};

}  // namespace platform::instance
