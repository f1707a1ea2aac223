#include "engine/gpResourceStream.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cstdio>
#include <exception>
#include <filesystem>

namespace engine {
namespace {

bool IsWritingMode(uint16_t mode) {
    return mode == rtl::fmCreate || (mode & 0x3) == rtl::fmOpenWrite || (mode & 0x3) == rtl::fmOpenReadWrite;
}

// A temporary name of our own beside the stored file: process id and a running number.
std::string TempNameFor(const std::string& fileName) {
    static std::atomic<unsigned> counter{0};
    return fileName + ".~" + std::to_string(::getpid()) + "." + std::to_string(counter++);
}

void SyncPath(const std::string& path, int flags) {
    int fd = ::open(path.c_str(), flags | O_CLOEXEC);
    if (fd < 0) return;
    ::fsync(fd);
    ::close(fd);
}

}  // namespace

TMissionStream::TMissionStream(const std::string& fileName, uint16_t mode)
    : fileName_(fileName),
      tempName_(TempNameFor(fileName)),
      mode_(mode),
      uncaught_(std::uncaught_exceptions()) {
    if (mode == rtl::fmCreate) {
        try {
            file_ = std::make_unique<rtl::FileStream>(tempName_, rtl::fmCreate);
        } catch (const rtl::EFCreateError&) {
            throw rtl::EFCreateError("Cannot create file " + fileName);
        }
        writing_ = true;
    } else {
        file_ = std::make_unique<rtl::FileStream>(fileName, mode);
    }
}

TMissionStream::~TMissionStream() {
    if (!writing_) return;
    // A stream dropped by an exception leaves the stored file as it was.
    if (std::uncaught_exceptions() <= uncaught_) {
        try {
            Commit();
            return;
        } catch (...) {
        }
    }
    file_.reset();
    std::remove(tempName_.c_str());
}

void TMissionStream::BeginWriting() {
    int64_t position = file_->Position();
    auto copy = std::make_unique<rtl::FileStream>(tempName_, rtl::fmCreate);
    try {
        if (file_->Size() > 0) copy->CopyFrom(*file_, 0);
    } catch (...) {
        copy.reset();
        std::remove(tempName_.c_str());
        throw;
    }
    copy->SetPosition(position);
    file_ = std::move(copy);
    writing_ = true;
}

void TMissionStream::Commit() {
    if (!writing_) return;
    SyncPath(tempName_, O_RDONLY);
    if (std::rename(tempName_.c_str(), fileName_.c_str()) != 0)
        throw rtl::EFCreateError("Cannot create file " + fileName_);
    std::filesystem::path dir = std::filesystem::path(fileName_).parent_path();
    SyncPath(dir.empty() ? std::string(".") : dir.string(), O_RDONLY | O_DIRECTORY);
    // The open file is now the stored one; the next write starts a new copy.
    writing_ = false;
}

int64_t TMissionStream::Read(void* buffer, int64_t count) { return file_->Read(buffer, count); }

int64_t TMissionStream::Write(const void* buffer, int64_t count) {
    if (!writing_ && IsWritingMode(mode_)) BeginWriting();
    return file_->Write(buffer, count);
}

int64_t TMissionStream::Seek(int64_t offset, rtl::SeekOrigin origin) {
    if (offset != 0 || origin != rtl::SeekOrigin::soCurrent) ++relocations_;  // not a look at Position
    return file_->Seek(offset, origin);
}

int64_t TMissionStream::Size() { return file_->Size(); }

void TMissionStream::SetSize(int64_t size) {
    if (!writing_ && IsWritingMode(mode_)) BeginWriting();
    file_->SetSize(size);
}

}  // namespace engine
