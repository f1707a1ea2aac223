// Files of our own: opening regular files only, reading them within a bound, and replacing
// them whole without losing their mode, owner, links or the old version on a failure.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <climits>
#include <cstring>

#include "rtl/Format.h"
#include "rtl/Streams.h"

namespace rtl {
namespace {

std::function<bool(std::string_view)>& AtomicWriteFault() {
    static std::function<bool(std::string_view)> fault;
    return fault;
}
bool Fails(std::string_view step) { return AtomicWriteFault() && AtomicWriteFault()(step); }

constexpr int kMaxLinkHops = 40;
constexpr const char* kJournalSuffix = ".~journal";

std::string DirOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

std::string BaseOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

// The file a name leads to through its symbolic links (the name itself when it is none, or
// when nothing is there yet); "" with errno set on a loop or an unreadable link.
std::string ResolveLinks(const std::string& fileName) {
    std::string path = fileName;
    for (int hop = 0; hop < kMaxLinkHops; ++hop) {
        struct stat st {};
        if (::lstat(path.c_str(), &st) != 0 || !S_ISLNK(st.st_mode)) return path;
        char link[PATH_MAX];
        const ssize_t n = ::readlink(path.c_str(), link, sizeof link);
        if (n < 0 || n == static_cast<ssize_t>(sizeof link)) {
            if (n >= 0) errno = ENAMETOOLONG;
            return {};
        }
        std::string next(link, static_cast<size_t>(n));
        path = next.front() == '/' ? next : DirOf(path) + "/" + next;
    }
    errno = ELOOP;
    return {};
}

void SyncDir(const std::string& dir) {
    const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

bool WriteAll(int fd, const uint8_t* data, size_t size) {
    size_t done = 0;
    while (done < size) {
        const ssize_t n = ::write(fd, data + done, size - done);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) {
            errno = ENOSPC;
            return false;
        }
        done += static_cast<size_t>(n);
    }
    return true;
}

// Rewrites `to` in place with the bytes of `from`: room first (so a full disk fails before a
// byte changes), then the bytes, the length and a flush. False with errno set; `touched` tells
// whether `to` was changed before the failure.
bool CopyInto(const std::string& from, const std::string& to, bool& touched) {
    touched = false;
    const int in = OpenRegularFile(from, O_RDONLY);
    if (in < 0) return false;
    const int out = OpenRegularFile(to, O_WRONLY);
    if (out < 0) {
        const int error = errno;
        ::close(in);
        errno = error;
        return false;
    }
    struct stat st {};
    bool ok = ::fstat(in, &st) == 0;
    const off_t size = st.st_size;
    if (ok && size > 0) {
        const int error = ::posix_fallocate(out, 0, size);
        if (error != 0 && error != EOPNOTSUPP && error != EINVAL) {
            errno = error;
            ok = false;
        }
    }
    const off_t stop = Fails("copy") ? size / 2 : size;
    uint8_t chunk[64 * 1024];
    for (off_t at = 0; ok && at < stop;) {
        const ssize_t n = ::pread(in, chunk, static_cast<size_t>(std::min<off_t>(sizeof chunk, stop - at)), at);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            if (n == 0) errno = EIO;
            ok = false;
            break;
        }
        touched = true;
        if (::lseek(out, at, SEEK_SET) < 0 || !WriteAll(out, chunk, static_cast<size_t>(n))) ok = false;
        at += n;
    }
    if (ok && stop < size) {
        errno = EIO;
        ok = false;
    }
    if (ok) touched = true;
    ok = ok && ::ftruncate(out, size) == 0 && ::fsync(out) == 0;
    const int error = errno;
    ::close(in);
    ::close(out);
    errno = error;
    return ok;
}

// A temporary file of ours: "<base>.~<pid>.<unique>"; answers the pid (0 when not one).
pid_t TemporaryOwner(std::string_view entry, std::string_view base) {
    if (entry.size() <= base.size() + 2 || entry.substr(0, base.size()) != base) return 0;
    std::string_view rest = entry.substr(base.size());
    if (!rest.starts_with(".~")) return 0;
    rest.remove_prefix(2);
    pid_t pid = 0;
    size_t digits = 0;
    while (digits < rest.size() && digits < 9 && rest[digits] >= '0' && rest[digits] <= '9')
        pid = pid * 10 + (rest[digits++] - '0');
    return digits > 0 && digits < rest.size() && rest[digits] == '.' ? pid : 0;
}

bool ProcessRuns(pid_t pid) { return pid == ::getpid() || ::kill(pid, 0) == 0 || errno == EPERM; }

[[noreturn]] void FailWrite(const std::string& file, int error) {
    throw EWriteError(Format("%s: %s: %s", {texts::SWriteError, file, FileErrorText(error)}));
}

}  // namespace

int OpenRegularFile(const std::string& fileName, int flags, unsigned mode) {
    const int fd = ::open(fileName.c_str(), flags | O_NONBLOCK | O_CLOEXEC, static_cast<mode_t>(mode));
    if (fd < 0) return -1;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = ENXIO;
        return -1;
    }
    if (!(flags & O_NONBLOCK)) ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

std::string FileErrorText(int error) { return error == ENXIO ? "not a regular file" : std::strerror(error); }

bool ReadDescriptor(int fd, std::string& bytes, size_t limit, bool& cut) {
    bytes.clear();
    cut = false;
    char chunk[64 * 1024];
    for (;;) {
        const size_t room = limit - bytes.size();
        const ssize_t n = ::read(fd, chunk, room == 0 ? 1 : std::min(room, sizeof chunk));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return false;
        if (n == 0) return true;
        if (room == 0) {
            cut = true;
            return true;
        }
        bytes.append(chunk, static_cast<size_t>(n));
    }
}

bool ReadRegularFile(const std::string& fileName, std::string& bytes, size_t limit, bool& cut) {
    bytes.clear();
    cut = false;
    const int fd = OpenRegularFile(fileName, O_RDONLY);
    if (fd < 0) return false;
    const bool ok = ReadDescriptor(fd, bytes, limit, cut);
    const int error = errno;
    ::close(fd);
    errno = error;
    return ok;
}

// ---- FileReplacement ----------------------------------------------------------------------

FileReplacement::FileReplacement(const std::string& fileName, unsigned newFileMode) {
    const auto refuse = [&](int error) {
        throw EFCreateError(Format(texts::SFCreateError, {fileName}) + ": " + FileErrorText(error));
    };
    target_ = ResolveLinks(fileName);
    if (target_.empty()) refuse(errno);
    struct stat st {};
    const bool exists = ::stat(target_.c_str(), &st) == 0;
    if (exists && !S_ISREG(st.st_mode)) refuse(ENXIO);
    temp_ = target_ + ".~" + std::to_string(::getpid()) + ".XXXXXX";
    fd_ = ::mkostemp(temp_.data(), O_CLOEXEC);
    if (fd_ < 0) refuse(errno);
    if (!exists) {
        ::fchmod(fd_, static_cast<mode_t>(newFileMode));
        return;
    }
    // Owner and group first: changing them clears the set-id bits the mode may carry. A file
    // whose owner or group we cannot give away keeps them by being rewritten in place.
    struct stat mine {};
    ::fstat(fd_, &mine);
    if ((mine.st_uid != st.st_uid || mine.st_gid != st.st_gid) && ::fchown(fd_, st.st_uid, st.st_gid) != 0)
        inPlace_ = true;
    ::fchmod(fd_, st.st_mode & 07777);
    if (st.st_nlink > 1) inPlace_ = true;
}

FileReplacement::~FileReplacement() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_) ::unlink(temp_.c_str());
}

void FileReplacement::Commit() {
    if (committed_) return;
    if (Fails("flush")) FailWrite(target_, EIO);
    if (::fsync(fd_) != 0) FailWrite(target_, errno);
    const int fd = fd_;
    fd_ = -1;
    if (::close(fd) != 0) FailWrite(target_, errno);
    if (inPlace_) {
        CommitInPlace();
        return;
    }
    if (Fails("rename")) FailWrite(target_, EACCES);
    if (::rename(temp_.c_str(), target_.c_str()) != 0) FailWrite(target_, errno);
    committed_ = true;
    SyncDir(DirOf(target_));
}

void FileReplacement::CommitInPlace() {
    // The complete new version becomes the journal; from then on a crash is finished by the
    // next start, so the journal stays whatever happens below.
    const std::string journal = target_ + kJournalSuffix;
    if (Fails("rename")) FailWrite(target_, EACCES);
    if (::rename(temp_.c_str(), journal.c_str()) != 0) FailWrite(target_, errno);
    temp_ = journal;
    SyncDir(DirOf(target_));
    bool touched = false;
    if (!CopyInto(journal, target_, touched)) {
        const int error = errno;
        if (!touched) ::unlink(journal.c_str());  // the old version is whole: nothing to finish
        committed_ = true;
        FailWrite(target_, error);
    }
    committed_ = true;
    ::unlink(journal.c_str());
    SyncDir(DirOf(target_));
}

std::vector<std::string> RecoverReplacement(const std::string& fileName) {
    std::vector<std::string> done;
    const std::string target = ResolveLinks(fileName);
    if (target.empty()) return done;
    const std::string journal = target + kJournalSuffix;
    struct stat st {};
    if (::lstat(journal.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
        bool touched = false;
        if (CopyInto(journal, target, touched)) {
            ::unlink(journal.c_str());
            done.push_back("finished the interrupted rewrite of " + target);
        } else {
            done.push_back("cannot finish the interrupted rewrite of " + target + ": " + FileErrorText(errno));
        }
    }
    const std::pair<std::string, std::string> places[] = {{DirOf(fileName), BaseOf(fileName)}, {DirOf(target), BaseOf(target)}};
    for (size_t i = 0; i < std::size(places); ++i) {
        const auto& [dir, base] = places[i];
        if (i > 0 && dir == places[0].first && base == places[0].second) break;
        DIR* folder = ::opendir(dir.c_str());
        if (!folder) continue;
        std::vector<std::string> stale;
        while (const dirent* entry = ::readdir(folder)) {
            const pid_t pid = TemporaryOwner(entry->d_name, base);
            if (pid > 0 && !ProcessRuns(pid)) stale.push_back(dir + "/" + entry->d_name);
        }
        ::closedir(folder);
        for (const std::string& path : stale)
            if (::lstat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode) && ::unlink(path.c_str()) == 0)
                done.push_back("removed the stale temporary file " + path);
    }
    return done;
}

void SetAtomicWriteFault(std::function<bool(std::string_view step)> fault) { AtomicWriteFault() = std::move(fault); }

void WriteFileAtomically(const std::string& fileName, const void* data, size_t size, unsigned newFileMode) {
    FileReplacement replacement(fileName, newFileMode);
    // A failing write (a full disk) stops half-way, leaving part of the data behind.
    const size_t limit = Fails("write") ? size / 2 : size;
    if (!WriteAll(replacement.Descriptor(), static_cast<const uint8_t*>(data), limit)) FailWrite(replacement.Target(), errno);
    if (limit < size) FailWrite(replacement.Target(), ENOSPC);
    replacement.Commit();
}

}  // namespace rtl
