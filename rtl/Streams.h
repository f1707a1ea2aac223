// Streams with the class library's semantics: Read answers a short count, ReadBuffer and
// WriteBuffer raise on a short transfer, Seek takes an origin, Position and Size are 64-bit.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <type_traits>
#include <string>
#include <string_view>
#include <vector>

#include "rtl/Exceptions.h"

namespace rtl {

enum class SeekOrigin { soBeginning = 0, soCurrent = 1, soEnd = 2 };

class Stream {
public:
    virtual ~Stream() = default;

    // Answers the number of bytes moved; never raises for a short count.
    virtual int64_t Read(void* buffer, int64_t count) = 0;
    virtual int64_t Write(const void* buffer, int64_t count) = 0;
    // Answers the new position. A position past the end is allowed (reads answer 0).
    virtual int64_t Seek(int64_t offset, SeekOrigin origin) = 0;

    int64_t Position() { return Seek(0, SeekOrigin::soCurrent); }
    void SetPosition(int64_t pos) { Seek(pos, SeekOrigin::soBeginning); }
    virtual int64_t Size();
    virtual void SetSize(int64_t size);  // raises EStreamError where a stream cannot resize
    // Bytes between the position and the end (0 when past the end).
    int64_t Remaining();

    // Raise EReadError "Stream read error" / EWriteError "Stream write error" on a short count,
    // followed by the system's reason when a call of the system failed.
    void ReadBuffer(void* buffer, int64_t count);
    void WriteBuffer(const void* buffer, int64_t count);
    // Copies count bytes from source (0 = the whole source from its start); answers the count.
    int64_t CopyFrom(Stream& source, int64_t count);

    // Little-endian helpers over ReadBuffer/WriteBuffer.
    template <typename T> T ReadValue();
    template <typename T> void WriteValue(T value);

    // The error number of the last failed call of the system (0: none failed).
    virtual int LastError() const { return 0; }
};

// File open modes of the class library: the low nibble is the access, the next the sharing.
inline constexpr uint16_t fmCreate = 0xFFFF;
inline constexpr uint16_t fmOpenRead = 0x0000;
inline constexpr uint16_t fmOpenWrite = 0x0001;
inline constexpr uint16_t fmOpenReadWrite = 0x0002;
inline constexpr uint16_t fmShareCompat = 0x0000;
inline constexpr uint16_t fmShareExclusive = 0x0010;
inline constexpr uint16_t fmShareDenyWrite = 0x0020;
inline constexpr uint16_t fmShareDenyRead = 0x0030;
inline constexpr uint16_t fmShareDenyNone = 0x0040;

// A regular file (a FIFO, device or folder is refused, so no open waits for a writer). A failed
// open raises EFOpenError ("Cannot open file %s"), a failed create EFCreateError ("Cannot
// create file %s"), naming the file.
class FileStream : public Stream {
public:
    FileStream(const std::string& fileName, uint16_t mode);
    ~FileStream() override;
    FileStream(const FileStream&) = delete;
    FileStream& operator=(const FileStream&) = delete;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    void SetSize(int64_t size) override;
    int LastError() const override { return lastError_; }
    const std::string& FileName() const { return fileName_; }

private:
    std::string fileName_;
    int fd_ = -1;
    int lastError_ = 0;
};

// Bytes in memory, growing on write.
class MemoryStream : public Stream {
public:
    MemoryStream() = default;
    explicit MemoryStream(std::vector<uint8_t> bytes) : data_(std::move(bytes)) {}

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return static_cast<int64_t>(data_.size()); }
    void SetSize(int64_t size) override;

    const std::vector<uint8_t>& Bytes() const { return data_; }
    std::vector<uint8_t>& Bytes() { return data_; }
    const uint8_t* Memory() const { return data_.data(); }
    void Clear() { data_.clear(); pos_ = 0; }
    void LoadFromStream(Stream& source);
    void LoadFromFile(const std::string& fileName);
    void SaveToStream(Stream& dest);
    void SaveToFile(const std::string& fileName);  // crash-safe: temp file + rename

private:
    std::vector<uint8_t> data_;
    int64_t pos_ = 0;
};

// A bounded window [offset, offset + length) of another stream: one entry of a container,
// read without running into the next. Positions are relative to the window; the parent
// is not owned and is positioned on every access.
class SubStream : public Stream {
public:
    SubStream(Stream& parent, int64_t offset, int64_t length);

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;  // bounded by the window too
    int64_t Seek(int64_t offset, SeekOrigin origin) override;
    int64_t Size() override { return length_; }
    int LastError() const override { return parent_.LastError(); }

private:
    Stream& parent_;
    int64_t offset_;
    int64_t length_;
    int64_t pos_ = 0;
};

// ---- Files of our own: regular files only, replaced whole --------------------------------

// open(2) of a regular file only: the open itself never waits (a FIFO without a writer), and
// anything but a regular file is closed again with errno ENXIO. Answers the descriptor (close
// on exec) or -1 with errno set.
int OpenRegularFile(const std::string& fileName, int flags, unsigned mode = 0644);
// The system's text of an error number; ENXIO is "not a regular file", as OpenRegularFile
// uses it.
std::string FileErrorText(int error);
// Reads a regular file, at most `limit` bytes. Answers false (errno set) when it cannot be
// opened or read; `cut` tells whether the file held more than the limit.
bool ReadRegularFile(const std::string& fileName, std::string& bytes, size_t limit, bool& cut);
// The same from an open descriptor, from its position.
bool ReadDescriptor(int fd, std::string& bytes, size_t limit, bool& cut);

// A new version of a file, written beside it and put in its place whole: a crash leaves the
// old version or the new one. The file replaced is the one at the end of the name's chain of
// symbolic links, and the new version keeps its mode, owner and group (a new file gets
// newFileMode). Normally the new version is renamed over the old; a file with further hard
// links, or whose owner or group cannot be given to the new version, is rewritten in place
// instead, through a journal (the complete new version, renamed beside it first) that
// RecoverReplacement finishes when a crash interrupted the rewrite.
//
// Temporary files are named "<file>.~<process id>.<unique>", the journal "<file>.~journal".
class FileReplacement {
public:
    // Raises EFCreateError, naming the file and the reason, when no temporary file can be made.
    explicit FileReplacement(const std::string& fileName, unsigned newFileMode = 0644);
    ~FileReplacement();  // a version not committed is removed
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    const std::string& Target() const { return target_; }
    const std::string& TempName() const { return temp_; }
    int Descriptor() const { return fd_; }
    // Flushes the new version and puts it in place. Raises EWriteError with the reason; the
    // stored file is then the old version (or, should the in-place rewrite itself fail, it is
    // finished from the journal by the next RecoverReplacement).
    void Commit();

private:
    void CommitInPlace();

    std::string target_;
    std::string temp_;
    int fd_ = -1;
    bool inPlace_ = false;
    bool committed_ = false;
};

// Start-up care of a file written through FileReplacement: finishes an in-place rewrite that
// a crash interrupted, and removes the temporary files of processes that no longer run (beside
// the name and beside the file its links lead to). Never raises; answers what it did, one line
// each, for the caller's log.
std::vector<std::string> RecoverReplacement(const std::string& fileName);

// Writes a whole file through a FileReplacement: a crash leaves the old file or the new one.
void WriteFileAtomically(const std::string& fileName, const void* data, size_t size, unsigned newFileMode = 0644);
// For tests: asked before each step of a replacement ("write" in WriteFileAtomically; "flush",
// "rename" and, for an in-place rewrite, "copy" in Commit); true makes that step fail as a full
// disk or a refused rename would ("copy" fails half-way, as a crash would leave it). Nil (the
// default) asks nothing.
void SetAtomicWriteFault(std::function<bool(std::string_view step)> fault);

template <typename T> T Stream::ReadValue() {
    static_assert(std::is_integral_v<T> || std::is_floating_point_v<T>);
    uint8_t raw[sizeof(T)];
    ReadBuffer(raw, sizeof(T));
    std::make_unsigned_t<std::conditional_t<std::is_integral_v<T>, T,
        std::conditional_t<sizeof(T) == 4, int32_t, int64_t>>> bits = 0;
    for (size_t i = 0; i < sizeof(T); ++i) bits |= static_cast<decltype(bits)>(raw[i]) << (8 * i);
    T value;
    static_assert(sizeof(bits) == sizeof(T));
    __builtin_memcpy(&value, &bits, sizeof(T));
    return value;
}

template <typename T> void Stream::WriteValue(T value) {
    static_assert(std::is_integral_v<T> || std::is_floating_point_v<T>);
    std::make_unsigned_t<std::conditional_t<std::is_integral_v<T>, T,
        std::conditional_t<sizeof(T) == 4, int32_t, int64_t>>> bits;
    static_assert(sizeof(bits) == sizeof(T));
    __builtin_memcpy(&bits, &value, sizeof(T));
    uint8_t raw[sizeof(T)];
    for (size_t i = 0; i < sizeof(T); ++i) raw[i] = static_cast<uint8_t>(bits >> (8 * i));
    WriteBuffer(raw, sizeof(T));
}

}  // namespace rtl
