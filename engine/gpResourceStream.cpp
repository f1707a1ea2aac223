#include "engine/gpResourceStream.h"

#include <exception>

namespace engine {
namespace {

bool IsWritingMode(uint16_t mode) {
    return mode == rtl::fmCreate || (mode & 0x3) == rtl::fmOpenWrite || (mode & 0x3) == rtl::fmOpenReadWrite;
}

}  // namespace

TMissionStream::TMissionStream(const std::string& fileName, uint16_t mode)
    : fileName_(fileName), mode_(mode), uncaught_(std::uncaught_exceptions()) {
    if (mode == rtl::fmCreate) {
        version_ = std::make_unique<rtl::FileReplacement>(fileName);
        file_ = std::make_unique<rtl::FileStream>(version_->TempName(), rtl::fmOpenReadWrite);
    } else {
        // Only read through: writes go to a new version, and the stored file's permissions
        // are the replacement's to judge, which names the reason when it cannot go ahead.
        file_ = std::make_unique<rtl::FileStream>(fileName, static_cast<uint16_t>((mode & ~0x000F) | rtl::fmOpenRead));
    }
}

TMissionStream::~TMissionStream() {
    if (!version_) return;
    // A stream dropped by an exception leaves the stored file as it was.
    if (std::uncaught_exceptions() <= uncaught_) {
        try {
            Commit();
            return;
        } catch (...) {
        }
    }
    file_.reset();
    version_.reset();
}

void TMissionStream::BeginWriting() {
    if (version_ || !IsWritingMode(mode_)) return;
    const int64_t position = file_->Position();
    auto version = std::make_unique<rtl::FileReplacement>(fileName_);
    auto copy = std::make_unique<rtl::FileStream>(version->TempName(), rtl::fmOpenReadWrite);
    if (file_->Size() > 0) copy->CopyFrom(*file_, 0);
    copy->SetPosition(position);
    file_ = std::move(copy);
    version_ = std::move(version);
}

void TMissionStream::Commit() {
    if (!version_) return;
    version_->Commit();
    // The open file holds what is now stored; the next write starts a new version.
    version_.reset();
}

int64_t TMissionStream::Read(void* buffer, int64_t count) { return file_->Read(buffer, count); }

int64_t TMissionStream::Write(const void* buffer, int64_t count) {
    BeginWriting();
    return file_->Write(buffer, count);
}

int64_t TMissionStream::Seek(int64_t offset, rtl::SeekOrigin origin) {
    if (offset != 0 || origin != rtl::SeekOrigin::soCurrent) ++relocations_;  // not a look at Position
    return file_->Seek(offset, origin);
}

int64_t TMissionStream::Size() { return file_->Size(); }

void TMissionStream::SetSize(int64_t size) {
    BeginWriting();
    file_->SetSize(size);
}

}  // namespace engine
