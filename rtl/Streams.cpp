#include "rtl/Streams.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

namespace rtl {

namespace {

std::string WithName(const char* text, const std::string& name) {
    // The texts carry one %s; Format is not needed for that.
    std::string out = text;
    auto at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, name);
    return out;
}

// The class library's text, and the system's reason when a call of the system failed.
std::string WithReason(const char* text, int error) {
    return error == 0 ? std::string(text) : std::string(text) + ": " + FileErrorText(error);
}

}  // namespace

// --- Stream ---------------------------------------------------------------------------

int64_t Stream::Size() {
    int64_t pos = Seek(0, SeekOrigin::soCurrent);
    int64_t end = Seek(0, SeekOrigin::soEnd);
    Seek(pos, SeekOrigin::soBeginning);
    return end;
}

void Stream::SetSize(int64_t) { throw EStreamError("Stream cannot change its size"); }

int64_t Stream::Remaining() {
    int64_t pos = Position();
    int64_t size = Size();
    return pos < size ? size - pos : 0;
}

void Stream::ReadBuffer(void* buffer, int64_t count) {
    if (count < 0 || (count != 0 && Read(buffer, count) != count))
        throw EReadError(WithReason(texts::SReadError, LastError()));
}

void Stream::WriteBuffer(const void* buffer, int64_t count) {
    if (count < 0 || (count != 0 && Write(buffer, count) != count))
        throw EWriteError(WithReason(texts::SWriteError, LastError()));
}

int64_t Stream::CopyFrom(Stream& source, int64_t count) {
    if (count == 0) {
        source.SetPosition(0);
        count = source.Size();
    }
    uint8_t chunk[64 * 1024];
    int64_t left = count;
    while (left > 0) {
        int64_t n = std::min<int64_t>(left, sizeof chunk);
        source.ReadBuffer(chunk, n);
        WriteBuffer(chunk, n);
        left -= n;
    }
    return count;
}

// --- FileStream -----------------------------------------------------------------------

FileStream::FileStream(const std::string& fileName, uint16_t mode) : fileName_(fileName) {
    if (mode == fmCreate) {
        fd_ = OpenRegularFile(fileName, O_RDWR | O_CREAT | O_TRUNC);
        if (fd_ < 0) throw EFCreateError(WithName(texts::SFCreateError, fileName));
        return;
    }
    int flags = 0;
    switch (mode & 0x000F) {
        case fmOpenRead: flags = O_RDONLY; break;
        case fmOpenWrite: flags = O_WRONLY; break;
        case fmOpenReadWrite: flags = O_RDWR; break;
        default: throw EFOpenError(WithName(texts::SFOpenError, fileName));
    }
    fd_ = OpenRegularFile(fileName, flags);
    if (fd_ < 0) throw EFOpenError(WithName(texts::SFOpenError, fileName));
    // Sharing: "exclusive" and "deny write" keep other writers out for as long as we hold the file.
    int share = mode & 0x00F0;
    int lock = share == fmShareExclusive ? LOCK_EX : share == fmShareDenyWrite ? LOCK_SH : 0;
    if (lock != 0 && ::flock(fd_, lock | LOCK_NB) != 0) {
        ::close(fd_);
        fd_ = -1;
        throw EFOpenError(WithName(texts::SFOpenError, fileName));
    }
}

FileStream::~FileStream() {
    if (fd_ >= 0) ::close(fd_);
}

int64_t FileStream::Read(void* buffer, int64_t count) {
    lastError_ = 0;
    if (count <= 0) return 0;
    int64_t done = 0;
    auto* out = static_cast<uint8_t*>(buffer);
    while (done < count) {
        ssize_t n = ::read(fd_, out + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) lastError_ = errno;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t FileStream::Write(const void* buffer, int64_t count) {
    lastError_ = 0;
    if (count <= 0) return 0;
    int64_t done = 0;
    const auto* in = static_cast<const uint8_t*>(buffer);
    while (done < count) {
        ssize_t n = ::write(fd_, in + done, static_cast<size_t>(count - done));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) lastError_ = errno;
        if (n <= 0) break;
        done += n;
    }
    return done;
}

int64_t FileStream::Seek(int64_t offset, SeekOrigin origin) {
    int whence = origin == SeekOrigin::soBeginning ? SEEK_SET : origin == SeekOrigin::soCurrent ? SEEK_CUR : SEEK_END;
    off_t pos = ::lseek(fd_, static_cast<off_t>(offset), whence);
    if (pos < 0) return ::lseek(fd_, 0, SEEK_CUR);  // a seek before the start leaves the position
    return pos;
}

void FileStream::SetSize(int64_t size) {
    if (size < 0) throw EStreamError(texts::SWriteError);
    if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) {
        lastError_ = errno;
        throw EStreamError(WithReason(texts::SWriteError, lastError_));
    }
    if (Position() > size) Seek(size, SeekOrigin::soBeginning);
}

// --- MemoryStream ---------------------------------------------------------------------

int64_t MemoryStream::Read(void* buffer, int64_t count) {
    int64_t size = static_cast<int64_t>(data_.size());
    if (count <= 0 || pos_ >= size) return 0;
    int64_t n = std::min(count, size - pos_);
    std::memcpy(buffer, data_.data() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

int64_t MemoryStream::Write(const void* buffer, int64_t count) {
    if (count <= 0) return 0;
    int64_t end = pos_ + count;
    if (end > static_cast<int64_t>(data_.size())) {
        try {
            data_.resize(static_cast<size_t>(end));
        } catch (const std::bad_alloc&) {
            throw EStreamError(texts::SMemoryStreamError);
        }
    }
    std::memcpy(data_.data() + pos_, buffer, static_cast<size_t>(count));
    pos_ = end;
    return count;
}

int64_t MemoryStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = origin == SeekOrigin::soBeginning ? 0 : origin == SeekOrigin::soCurrent ? pos_ : Size();
    int64_t target = base + offset;
    if (target >= 0) pos_ = target;
    return pos_;
}

void MemoryStream::SetSize(int64_t size) {
    if (size < 0) throw EStreamError(texts::SMemoryStreamError);
    try {
        data_.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        throw EStreamError(texts::SMemoryStreamError);
    }
    if (pos_ > size) pos_ = size;
}

void MemoryStream::LoadFromStream(Stream& source) {
    source.SetPosition(0);
    int64_t size = source.Size();
    SetSize(size);
    pos_ = 0;
    source.ReadBuffer(data_.data(), size);
}

void MemoryStream::LoadFromFile(const std::string& fileName) {
    FileStream file(fileName, fmOpenRead | fmShareDenyWrite);
    LoadFromStream(file);
}

void MemoryStream::SaveToStream(Stream& dest) { dest.WriteBuffer(data_.data(), Size()); }

void MemoryStream::SaveToFile(const std::string& fileName) {
    WriteFileAtomically(fileName, data_.data(), data_.size());
}

// --- SubStream ------------------------------------------------------------------------

SubStream::SubStream(Stream& parent, int64_t offset, int64_t length)
    : parent_(parent), offset_(std::max<int64_t>(offset, 0)), length_(std::max<int64_t>(length, 0)) {}

int64_t SubStream::Read(void* buffer, int64_t count) {
    if (count <= 0 || pos_ >= length_) return 0;
    int64_t n = std::min(count, length_ - pos_);
    parent_.Seek(offset_ + pos_, SeekOrigin::soBeginning);
    n = parent_.Read(buffer, n);
    pos_ += n;
    return n;
}

int64_t SubStream::Write(const void* buffer, int64_t count) {
    if (count <= 0 || pos_ >= length_) return 0;
    int64_t n = std::min(count, length_ - pos_);
    parent_.Seek(offset_ + pos_, SeekOrigin::soBeginning);
    n = parent_.Write(buffer, n);
    pos_ += n;
    return n;
}

int64_t SubStream::Seek(int64_t offset, SeekOrigin origin) {
    int64_t base = origin == SeekOrigin::soBeginning ? 0 : origin == SeekOrigin::soCurrent ? pos_ : length_;
    int64_t target = base + offset;
    if (target >= 0) pos_ = target;
    return pos_;
}

}  // namespace rtl
