// Writer of record streams: a 16-byte stream header, then checked records.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace datagen {

struct Record {
    int32_t id = 0;
    int32_t value = 0;
    std::string data;
    bool checksum = true;
    bool corruptChecksum = false;  // store a wrong checksum
    int32_t lengthDelta = 0;       // stored length minus the real one
};

// Header: first int32 16, then the magic "\x03VQM", then zeros.
std::string RecordStreamHeader();
std::string BuildRecordStream(const std::vector<Record>& records, const std::string& header = RecordStreamHeader());

}  // namespace datagen
