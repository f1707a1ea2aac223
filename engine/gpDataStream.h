// TDataStream: a sequence of checked records, in a file of its own or inside a container
// at an entry the caller has located.
//
//   16-byte stream header chosen by the caller (a reader compares its first int32 only)
//   per record: a 24-byte record header (length 24, id, value, data length L,
//   checksum flag, ResourceChecksum of the data) and then the L data bytes.
//
// The error flag is sticky: after the first failure every read answers -1 and every write
// does nothing. Creation never raises.
//
// Inside a container no record crosses into the next entry: the stream header is bounded by
// the room of the entry it is opened at, each record by the room of the entry it starts in
// (up to the next entry). A read never runs past that, and a write that does not fit sets the
// error flag and writes nothing, so that the next entry is never overwritten. Records may
// start at entries of their own, where the caller places the container, or right behind the
// header in the entry that follows it.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <string>

#include "engine/gpResource.h"

namespace engine {

struct TDataRecordHeader {
    int32_t Size = 24;
    int32_t Id = 0;
    int32_t Value = 0;      // kept for the caller
    int32_t Length = 0;     // data bytes
    int32_t CheckFlag = 0;  // non-zero: Checksum is valid
    int32_t Checksum = 0;
};

using TDataStreamHeader = std::array<uint8_t, 16>;

class TDataStream {
public:
    // The stream is Resource when given (positioned by the caller, not owned), else the file
    // FileName opened with Mode. Mode fmCreate writes Header; any other mode reads 16 bytes
    // and compares their first int32 with Header's.
    TDataStream(const std::string& fileName, TGPResource* resource, const TDataStreamHeader& header,
                uint16_t mode);
    ~TDataStream();
    TDataStream(const TDataStream&) = delete;
    TDataStream& operator=(const TDataStream&) = delete;

    // The record id, or -1 (error flag set) when no whole record header with length 24 is there.
    int32_t ReadRecordHeader(TDataRecordHeader& header);
    // Reads the data of the last record header into Buffer of Capacity bytes; answers its
    // length, or -1 (error flag set) when it is negative, larger than Capacity, short, or
    // fails its checksum.
    int32_t ReadData(void* buffer, int64_t capacity);
    // Writes the header (length set to 24, checksum computed when flagged) and the data.
    void WriteRecord(const void* data, const TDataRecordHeader& header);

    bool Error() const { return error_; }
    const std::string& FileName() const { return fileName_; }
    const TDataRecordHeader& LastHeader() const { return last_; }

private:
    void Close();
    // Inside a container: the entry at the position becomes the bound (a write to the last
    // entry may grow the file; a read stops at the file's end).
    void TakeEntry(bool writing);
    // Before a record: the entry the caller located, when it located one since the last
    // record; else the entry of the last record, which the new one may not leave.
    void StartRecord(bool writing);
    // Bytes left to read before the end of the entry (or of the file).
    int64_t Room() const;
    // Whether n more bytes may be written: always in a file of its own, within the entry's
    // room inside a container.
    bool Fits(int64_t n) const;

    rtl::Stream* stream_ = nullptr;
    std::unique_ptr<TMissionStream> file_;
    bool error_ = false;
    std::string fileName_;
    uint16_t mode_;
    TGPResource* resource_ = nullptr;  // the container, when the stream lies inside one
    int64_t end_ = 0;                  // the end of the entry the present record lies in
    uint64_t relocations_ = 0;         // the container's relocations when end_ was taken
    TDataRecordHeader last_;
};

// Builds the empty saved-games container: sections "Save_User" (144 zero bytes per slot)
// and "Save_BMP" (a red 160 x 120 8-bit picture per slot), slots "Save_0" .. "Save_<N>".
// Nothing happens when Force is false and the file exists.
void CreateSaveFile(const std::string& fileName, int n, bool force);

}  // namespace engine
