// TMissionStream: the file stream under every container and level file.
//
// Writes never land in the stored file directly: the first write copies the file to a new
// version beside it (or starts it anew with fmCreate), and Commit, Finish or closing puts that
// version in place once it is on disk (rtl::FileReplacement: through symbolic links, keeping
// mode, owner and hard links). A crash therefore leaves the old file or the new one, never
// half of one.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "rtl/Streams.h"

namespace engine {

class TMissionStream : public rtl::Stream {
public:
    TMissionStream(const std::string& fileName, uint16_t mode);
    ~TMissionStream() override;
    TMissionStream(const TMissionStream&) = delete;
    TMissionStream& operator=(const TMissionStream&) = delete;

    // Set by the level reader; the level-record readers consult it.
    int32_t Version = 0;

    int64_t Read(void* buffer, int64_t count) override;
    int64_t Write(const void* buffer, int64_t count) override;
    int64_t Seek(int64_t offset, rtl::SeekOrigin origin) override;
    int64_t Size() override;
    void SetSize(int64_t size) override;
    int LastError() const override { return file_->LastError(); }

    const std::string& FileName() const { return fileName_; }
    uint16_t Mode() const { return mode_; }
    // How often the position was set (reads and writes move it without counting): a reader
    // that goes on where it stopped can tell whether someone located another place meanwhile.
    uint64_t Relocations() const { return relocations_; }
    // Starts the new version now (the first write would): raises, naming the reason, when it
    // cannot be made. Nothing when one is under way or the mode does not write.
    void BeginWriting();
    // Makes what was written durable and visible under FileName.
    void Commit();

private:
    std::string fileName_;
    uint16_t mode_;
    std::unique_ptr<rtl::FileStream> file_;
    std::unique_ptr<rtl::FileReplacement> version_;  // while writing: file_ is its private copy
    uint64_t relocations_ = 0;
    int uncaught_;                                   // exceptions in flight at construction
};

}  // namespace engine
